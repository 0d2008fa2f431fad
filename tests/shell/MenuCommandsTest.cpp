// The menu bar and every command chosen through it as a user would, with the modal
// dialogs answered by the test; the objects panel and the progress window of a load.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

// The shell's headers bring the GL declarations; Qt's must come after them.
#include "QtTestApplication.h"
#include "ShellViewer.h"
#include "TestHelpers.h"
#include "shell/SceneFileDrop.h"
#include "shell/SlabsAndPicks.h"

#include <QApplication>
#include <QDropEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMimeData>
#include <QProgressBar>
#include <QScreen>
#include <QStatusBar>
#include <QTableView>
#include <QUrl>

namespace talan {
namespace {

using testing::kExampleScene, testing::TagLine, testing::Viewer;

// A menu's entries once it is open (objects' entries join their submenu then): a
// submenu in brackets, "-" a separator, a fixed command by its identifier and an
// object's entry by its text, followed by "+" or "o" when it has a check mark, checked or not.
std::string Layout(const QWidget* menuOrBar) {
    if (auto* menu = qobject_cast<QMenu*>(const_cast<QWidget*>(menuOrBar))) emit menu->aboutToShow();
    std::string out;
    for (const QAction* action : menuOrBar->actions()) {
        const QMenu* submenu = QMenu::menuInAction(action);
        out += out.empty() ? "" : " ";
        out += action->isSeparator() ? "-"
               : submenu             ? "[" + Layout(submenu) + "]"
               : action->data().isValid() ? std::to_string(action->data().toInt())
                                          : action->text().toStdString();
        if (action->isCheckable()) out += action->isChecked() ? "+" : "o";
    }
    return out;
}

// Each object's two switches as its menu entries show them ("x" checked, "o" not, "-"
// no entry), visibility first; the panel's check boxes, when it lists every object,
// must show the same.
std::string Marks(const Viewer& viewer) {
    const QAbstractItemModel& model = *viewer.panel->Table()->model();
    const auto objects = static_cast<int32_t>(viewer.menus.objectEntries.size());
    const bool everyRow = model.rowCount() == objects;
    std::string menus, panel;
    for (int32_t k = 0; k < objects; ++k) {
        for (const ObjectFlag flag : {ObjectFlag::Visible, ObjectFlag::Transparent}) {
            const QAction* entry = ObjectEntry(viewer.menus, flag, k);
            menus += entry == nullptr ? '-' : entry->isChecked() ? 'x' : 'o';
            if (!everyRow) continue;
            const QVariant box = model.data(model.index(k, flag == ObjectFlag::Visible ? 0 : 3), Qt::CheckStateRole);
            panel += !box.isValid() ? '-' : box.toInt() == Qt::Checked ? 'x' : 'o';
        }
        menus += ' ';
        panel += ' ';
    }
    if (everyRow) {
        EXPECT_EQ(panel, menus) << "the panel and the menus disagree";
    }
    return menus;
}

// The objects panel's rows as shown, "name kind elements;" each.
std::string Rows(const QAbstractItemModel& model) {
    std::string rows;
    for (int cell = 0; cell < 3 * model.rowCount(); ++cell) {
        rows += model.data(model.index(cell / 3, cell % 3)).toString().toStdString() + (cell % 3 < 2 ? " " : "; ");
    }
    return rows;
}

// Two triangles sharing an edge, one flat and one upright: smoothing turns the
// normal of their shared corners (vertex 0 among them) into the mean (0.5, 0.5, 0).
const std::string kFold = "\"Tavrin\"\n" + TagLine("T3", 2) + "1,0,0,\nfold,\n0,0,0,0,1,0,1,0,0,\n0,0,0,0,0,1,0,1,0,\n";
// Two blocks, whose entries carry the block model's fixed name; two holes.
const std::string kBlocks = "\"Tavrin\"\n" + TagLine("BLKKDX", 2) + "10,10,5,\nx\nx\n0,0,0,255,\n20,0,0,65280,\n";
const std::string kHoles = "\"Tavrin\"\n" + TagLine("SONKDX", 1) + "DDH-3172,\nx\n0,0,0,0,0,-10,255\n" +
                           TagLine("SONKDX", 1) + "DDH-0031,\nx\n0,0,0,0,0,-10,255\n";
constexpr char kNotAScene[] = "Tavrim  T3      1,\n1,0,0,\nlooks like one,\n0,0,0,1,0,0,0,1,0,\n";
// The Objects menu after the example, a file that is not a scene, the blocks and the example again.
constexpr char kObjectsAfterFourLoads[] = "[Pit floor+ Pit floor+] [Bloques+] [] [Ramp+ Ramp+] [] []";
constexpr char kFixedEntries[] =
    "[4000 4001 4002o - 16] [[] [] [] [] [] []] [4014 [] - 4010+ - 4060o - 4012+ 4013+ - 4070o 4180+ "
    // Colour by: own colours, the 32 value entries, the colour maps.
    "[4190+ - 4200o 4201o 4202o 4203o 4204o 4205o 4206o 4207o 4208o 4209o 4210o 4211o 4212o 4213o 4214o 4215o "
    "4216o 4217o 4218o 4219o 4220o 4221o 4222o 4223o 4224o 4225o 4226o 4227o 4228o 4229o 4230o 4231o - "
    "[4240+ 4241o 4242o 4243o 4244o 4245o 4246o]] - "
    "[4120 4121 4122 4123 4124] - [4100o 4101o 4102o - 4103 4104 4105 4106 4107 - 4108] 4110o 4111 "
    "[4140 4141 - 4142+ 4143o 4144o 4145o 4146o 4147o] "
    "[4150 4151 4152 4153 4154 4155 4156 4157 4158 - [4170 4171 4172 4173 4174 4175 4176 4177 4178]] - 4160o] "
    "[4020 [4022o 4023+] 4021o] [4030 4031]";

using MenuCommands = testing::QtApplicationTest;
using ObjectsPanelTest = testing::QtApplicationTest;

TEST_F(MenuCommands, TheMenuBarAndTheLanguageEntriesInEachLanguage) {
    // Spanish, English, and any other as English. A language entry switches only from the
    // other language, with a notice; the menus change at the next start, Help and About at once.
    const std::pair<uint32_t, const char*> cases[] = {
        {1, "Notice; Help; about 2; "}, {2, "Aviso; Notice; Help; about 2; "}, {3, "Help; about 3; "}};
    for (const auto& [language, log] : cases) {
        Viewer viewer(language);
        std::string expected = kFixedEntries;
        if (language == kLanguageSpanish) expected.replace(expected.find("4022o 4023+"), 11, "4022+ 4023o");
        EXPECT_EQ(Layout(viewer.window.menuBar()), expected) << language;
        viewer.Choose(kCommandSpanish, kCommandEnglish, kCommandHelp, kCommandAbout);
        EXPECT_EQ(std::tuple(viewer.log, viewer.Checked(kCommandSpanish), viewer.Checked(kCommandEnglish),
                             viewer.menus.fileMenu->title().toStdString()),
                  std::tuple(log, false, true, language == 1 ? "Archivo" : "File"));
    }
}

TEST_F(MenuCommands, FaceEntriesAreNeverBothUncheckedAndSetTheOpaqueCullMode) {
    constexpr int32_t F = kCommandFrontFace, B = kCommandBackFace;
    const std::pair<std::vector<int32_t>, CullMode> cases[] = {
        {{}, CullMode::None},     {{F}, CullMode::Back},       {{B}, CullMode::Front},
        {{F, F}, CullMode::None}, {{F, B}, CullMode::Front},   {{B, F}, CullMode::Back},
        {{B, B}, CullMode::None}, {{F, B, B}, CullMode::None}, {{F, B, F}, CullMode::Back}};
    for (const auto& [choices, cull] : cases) {
        Viewer viewer(1);
        for (const int32_t id : choices) viewer.Choose(id);
        // "Front face" alone culls front faces, "Back face" alone back faces; transparent
        // objects always lose their back faces.
        EXPECT_EQ(std::tuple(viewer.graphics.opaqueRasterDesc.cullMode, viewer.graphics.transparentRasterDesc.cullMode,
                             viewer.Checked(F), viewer.Checked(B)),
                  std::tuple(cull, CullMode::Back, cull != CullMode::Back, cull != CullMode::Front));
    }
}

TEST_F(MenuCommands, AutoTurnBackColourSmoothingAndEnd) {
    Viewer viewer(1);
    viewer.Choose(kCommandAutoTurn);
    EXPECT_EQ(std::tuple(viewer.Checked(kCommandAutoTurn), viewer.view.autoTurnSpeed), std::tuple(true, 5.0f));
    viewer.view.autoTurnSpeed = -17.0f;  // a drag in auto-turn mode changed the speed
    viewer.Choose(kCommandAutoTurn);
    EXPECT_EQ(std::tuple(viewer.Checked(kCommandAutoTurn), viewer.view.autoTurnSpeed), std::tuple(false, 0.0f));
    // The chosen 0x00BBGGRR bytes over 255; a cancelled dialog keeps the colour. Alpha stays.
    viewer.view.backgroundColor = {0.25f, 0.5f, 0.75f, 0.125f};
    viewer.colour = 0xFF4020;
    viewer.Choose(kCommandBackColour, kCommandBackColour);  // the second dialog cancelled
    EXPECT_EQ(viewer.view.backgroundColor, (std::array<float, 4>{32 * kByteToUnit, 64 * kByteToUnit, 1.0f, 0.125f}));
    // Smoothing when a file is opened with its switch on, and of the loaded scene when asked.
    const auto normal0 = [&] { return std::to_array(VertexAt(viewer.scene, 0).normal); };
    const std::array<float, 3> flat{0, 1, 0}, smoothed{0.5f, 0.5f, 0};
    for (const bool smooth : {true, false}) {
        viewer.Choose(kCommandSmoothOnOpen);
        viewer.Open(kCommandNew, kFold);
        EXPECT_EQ(normal0(), smooth ? smoothed : flat);
    }
    EXPECT_EQ(DispatchCommand(viewer.ctx, kCommandSmoothActives), kStatusOk);
    EXPECT_EQ(normal0(), smoothed);
    // End closes the window; auto-turn released the mouse each time.
    viewer.Choose(kCommandEnd);
    EXPECT_EQ(viewer.log, "drags end; drags end; close; ");
}

// Survey points at the foot and the top of a wall (elevations 246 and 1049) and a
// shaft between them, all on the line y = 2000: the scene is flat along Y.
const std::string kWall = "\"Tavrin\"\n" + TagLine("PTS", 2) + "255,\nSurvey,\nx\n100,2000,246\n500,2000,1049\n" +
                          TagLine("LIN", 1) + "65280,\nShaft,\nx\n300,2000,246,300,2000,1049\n";

TEST_F(MenuCommands, ASlabStartsWithinTheShownObjectsAndSaysWhenNothingShownLiesInIt) {
    Viewer viewer(2);
    // Made before anything is loaded (the start-up dialog cancelled), the slab knows of
    // no scene: the first load drops it instead of cutting the file away.
    // The status bar shows only while the line has something to tell.
    const QStatusBar* bar = viewer.window.statusBar();
    EXPECT_TRUE(bar->isHidden());
    viewer.Choose(kCommandSectionZ);
    EXPECT_EQ(std::tuple(viewer.Status(), bar->isHidden()),
              std::tuple("Section across Z = 0.00, 0.05 thick (nothing visible in it)", false));
    viewer.Open(kCommandOpenAdd, kWall);
    EXPECT_EQ(std::tuple(viewer.view.section.Active(), viewer.Status(), bar->isHidden()), std::tuple(false, "", true));
    // A pan took the point looked at far above the wall: the slab starts at its top, a
    // twentieth of its height thick. The status line after each command.
    viewer.view.cameraTarget = {300, 2000, 1697};
    const std::pair<int32_t, const char*> steps[] = {
        {kCommandSectionZ, "Section across Z = 1049.00, 40.15 thick"},
        {kCommandSectionForward, "Section across Z = 1089.15, 40.15 thick (nothing visible in it)"},
        {kCommandSectionBack, "Section across Z = 1049.00, 40.15 thick"},
        {kCommandSectionBack, "Section across Z = 1008.85, 40.15 thick"},  // no point, but the shaft crosses it
        {5002, "Section across Z = 1008.85, 40.15 thick (nothing visible in it)"},  // the shaft hidden
        {5002, "Section across Z = 1008.85, 40.15 thick"},
        {kCommandSectionThicker, "Section across Z = 1008.85, 80.30 thick"},
        {kCommandSectionBack, "Section across Z = 928.55, 80.30 thick"},
        {kCommandSectionThinner, "Section across Z = 928.55, 40.15 thick"},
        // Flat along Y: a twentieth of the scene's size, (400 + 0 + 803) / 3.
        {kCommandSectionY, "Section across Y = 2000.00, 20.05 thick"},  // another axis replaces the slab
        {kCommandSectionY, ""},                                         // the same one removes it
        {kCommandSectionX, "Section across X = 300.00, 20.00 thick"},
        {kCommandSectionRemove, ""}};
    for (const auto& [id, status] : steps) {
        viewer.Choose(id);
        EXPECT_EQ(viewer.Status(), status) << id;
    }
    // Looking along a slab across X turns the camera to face along X, level.
    viewer.view.cameraYaw = viewer.view.cameraPitch = 30.0f;
    viewer.Choose(kCommandSectionX, kCommandLookAlongSection);
    EXPECT_EQ(std::pair(viewer.view.cameraYaw, viewer.view.cameraPitch), std::pair(90.0f, 0.0f));
    // Along one across Y it faces north, level; along one across Z it looks straight
    // down and keeps the heading.
    viewer.view.cameraYaw = viewer.view.cameraPitch = 30.0f;
    viewer.Choose(kCommandSectionY, kCommandLookAlongSection);
    EXPECT_EQ(std::pair(viewer.view.cameraYaw, viewer.view.cameraPitch), std::pair(0.0f, 0.0f));
    viewer.view.cameraYaw = viewer.view.cameraPitch = 30.0f;
    viewer.Choose(kCommandSectionZ, kCommandLookAlongSection);
    EXPECT_EQ(std::pair(viewer.view.cameraYaw, viewer.view.cameraPitch), std::pair(30.0f, 90.0f));
    viewer.Choose(kCommandSectionX);
    // A load into a scene that has objects keeps the slab; the Spanish line.
    viewer.shell.language = kLanguageSpanish;
    viewer.Open(kCommandOpenAdd, kWall);
    EXPECT_EQ(viewer.Status(), "Sección según X = 300.00, espesor 20.00");
    viewer.Choose(5000, 5002, 5004, 5006);  // everything hidden
    EXPECT_EQ(viewer.Status(), "Sección según X = 300.00, espesor 20.00 (nada visible en ella)");
    // Blocks reach as far as their faces: two blocks of size 10, drawn 9.2 wide, centred
    // at x = 0 and 20.
    viewer.shell.language = kLanguageEnglish;
    viewer.Open(kCommandNew, kBlocks);
    viewer.Choose(kCommandSectionX);
    EXPECT_EQ(viewer.Status(), "Section across X = 10.00, 1.46 thick (nothing visible in it)");
    viewer.Choose(kCommandSectionForward, kCommandSectionForward, kCommandSectionForward, kCommandSectionForward);
    EXPECT_EQ(viewer.Status(), "Section across X = 15.84, 1.46 thick");
}

// The measurement between two picks, as the status line shows it, its tool tip and
// what Ctrl+C copies.
struct Measured {
    std::string status, toolTip, copied;
    bool operator==(const Measured&) const = default;
};
Measured MeasureBetween(Viewer& viewer, const FilePoint& from, const FilePoint& to) {
    viewer.Choose(kCommandMeasure);
    Picked(viewer.ctx, PickResult{true, from, {0, 1, 0}});
    Picked(viewer.ctx, PickResult{true, to, {0, 1, 0}});
    viewer.host.ShowStatus(StatusText(viewer.ctx));
    viewer.Choose(kCommandCopyResult);
    Measured measured{viewer.Status(), viewer.ToolTip(), viewer.Copied()};
    viewer.Choose(kCommandMeasure);  // taken away
    return measured;
}

TEST_F(MenuCommands, AFinishedMeasurementFillsTheStatusLineAlone) {
    Viewer viewer(2);
    viewer.Open(kCommandOpenAdd, kWall);
    viewer.view.cameraTarget = {300, 2000, 600};
    viewer.Choose(kCommandSectionZ);
    const std::string slab = "Section across Z = 600.00, 40.15 thick";
    const std::string pick = "Point 300.00, 2000.00, 600.00: object 1 \"Shaft\" (LIN), segment 0";
    Picked(viewer.ctx, PickResult{true, {300, 2000, 600}, {1, 0, 0}});
    viewer.Choose(kCommandMeasure);  // the pick gives way to the prompt
    EXPECT_EQ(std::pair(viewer.Status(), viewer.ToolTip()),
              std::pair(slab + "     Measure: click the first point",
                        slab + "     " + pick + "     Measure: click the first point"));
    // A click on the background between the two adds no point.
    for (const auto& [at, hit] : {std::pair(FilePoint{0, 0, 10}, true), {{5, 5, 5}, false}, {{0, -10, 0}, true}}) {
        Picked(viewer.ctx, PickResult{hit, at, {0, 7, 0}});
        viewer.host.ShowStatus(StatusText(viewer.ctx));
        if (!hit) {
            EXPECT_EQ(viewer.Status(), slab + "     Measure: click the second point");
        }
    }
    viewer.Choose(kCommandCopyResult);
    const std::string south = "Measured: slope 14.14, horizontal 10.00, dz -10.00, azimuth 180.00°, dip 45.00°";
    EXPECT_EQ(std::tuple(viewer.Status(), viewer.ToolTip(), viewer.Copied()),
              std::tuple(south, slab + "     " + pick + "     " + south, south));
    // M takes a finished measurement away, and starts a new one afresh; a measurement
    // under way is taken away too.
    viewer.Choose(kCommandMeasure);
    EXPECT_EQ(viewer.Status(), slab + "     " + pick);
    viewer.Choose(kCommandMeasure);
    EXPECT_EQ(viewer.Status(), slab + "     Measure: click the first point");
    Picked(viewer.ctx, PickResult{true, {1, 1, 1}, {0, 1, 0}});
    viewer.Choose(kCommandMeasure, kCommandMeasure);
    EXPECT_EQ(viewer.Status(), slab + "     Measure: click the first point");
    viewer.Choose(kCommandMeasure, kCommandSectionRemove);
    // Along the axes, level, and a hair either side of north: never -0.00 or 360.00.
    const auto line = [](const char* azimuthAndDip) {
        return std::string("Measured: slope 10.00, horizontal 10.00, dz 0.00, azimuth ") + azimuthAndDip;
    };
    const std::pair<FilePoint, std::string> cases[] = {
        {{10, 0, 0}, line("90.00°, dip 0.00°")},
        {{-10, 0, 0}, line("270.00°, dip 0.00°")},
        {{-0.0, 10, 0}, line("0.00°, dip 0.00°")},
        {{-1e-7, 10, 1e-9}, line("0.00°, dip 0.00°")},
        {{1e-7, 10, -1e-9}, line("0.00°, dip 0.00°")},
        {{0, 10, -10}, "Measured: slope 14.14, horizontal 10.00, dz -10.00, azimuth 0.00°, dip 45.00°"}};
    for (const auto& [to, text] : cases) {
        EXPECT_EQ(MeasureBetween(viewer, {0, 0, 0}, to), (Measured{text, pick + "     " + text, text})) << to[0];
    }
    viewer.shell.language = kLanguageSpanish;
    EXPECT_EQ(MeasureBetween(viewer, {0, 0, 0}, {-1e-7, 10, 0}).status,
              "Medida: inclinada 10.00, horizontal 10.00, dz 0.00, azimut 0.00°, buzamiento 0.00°");
}

TEST_F(MenuCommands, NewForgetsTheSlabThePickAndTheMeasurement) {
    Viewer viewer(2);
    viewer.Open(kCommandOpenAdd, kWall);
    viewer.Choose(kCommandSectionX);
    Picked(viewer.ctx, PickResult{true, {300, 2000, 600}, {1, 0, 0}});
    viewer.Choose(kCommandMeasure);  // under way
    QGuiApplication::clipboard()->clear();
    viewer.Choose(kCommandNew, kCommandCopyResult);  // New's dialog cancelled
    EXPECT_EQ(std::tuple(viewer.Status(), viewer.Copied(), viewer.view.section.Active(), viewer.Checked(kCommandMeasure)),
              std::tuple("", "", false, false));
    // M after New starts a measurement rather than taking the old one away.
    viewer.Choose(kCommandMeasure);
    EXPECT_EQ(viewer.Status(), "Measure: click the first point");
}

TEST_F(MenuCommands, NewEmptiesTheSceneAndResetsTheDrawingButNotTheSettings) {
    Viewer viewer(1);
    viewer.paths = {viewer.File(kExampleScene), viewer.File(kBlocks)};
    viewer.Choose(kCommandNew, kCommandOpenAdd, kCommandSolidFace, kCommandAutoTurn, kCommandFrontFace,
                  kCommandAntialiased, kCommandSmoothOnOpen, kCommandEnglish, kCommandObjectsPanel, kCommandSectionX,
                  10000, 5002, kCommandExaggerationUp);
    // Solid faces and antialiasing switch both raster descriptions.
    const RasterDesc &opaque = viewer.graphics.opaqueRasterDesc, &transparent = viewer.graphics.transparentRasterDesc;
    EXPECT_EQ(std::pair(opaque.fillMode, transparent.fillMode), std::pair(FillMode::Wireframe, FillMode::Wireframe));
    viewer.view.lightSpinSpeed = 3.0f;
    viewer.view.transparencyLevel = 0.05f;
    viewer.Choose(kCommandNew);  // and cancel the dialog
    // No object entries; solid faces, both faces, no auto-turn and no section; smoothing
    // on open, antialiasing, the language, the panel and the vertical exaggeration (a
    // view setting, as the light and the camera's heading are) left alone.
    std::string expected = kFixedEntries;
    for (const char* mark : {"4002o", "4070o", "4021o", "4143o"}) expected[expected.find(mark) + 4] = '+';
    expected[expected.find("4142+") + 4] = 'o';
    expected.replace(expected.find(" - 16]"), 6, " - 4130 4131 - 16]");  // the files opened before New
    EXPECT_EQ(Layout(viewer.window.menuBar()), expected);
    EXPECT_EQ(std::pair(opaque, transparent),
              std::pair(RasterDesc{FillMode::Solid, CullMode::None, true, true, true},
                        RasterDesc{FillMode::Solid, CullMode::Back, true, false, true}));
    const ViewState& v = viewer.view;
    EXPECT_EQ(std::tuple(v.autoTurnSpeed, v.lightSpinSpeed, v.transparencyLevel), std::tuple(0.0f, 0.0f, 0.4f));
    EXPECT_TRUE(viewer.scene.objectNames.empty() && viewer.panel->Table()->model()->rowCount() == 0);
}

TEST_F(MenuCommands, EachLoadOrDropAddsEntriesWhereTheyBelongAndTheySwitchTheirObject) {
    Viewer viewer(2), dropped(2);
    const std::vector<std::string> files = {viewer.File(kExampleScene), viewer.File(kNotAScene),
                                            viewer.File(kBlocks), viewer.File(kExampleScene)};
    viewer.paths = {files.begin(), files.end()};
    viewer.Choose(kCommandOpenAdd, kCommandOpenAdd, kCommandOpenAdd, kCommandOpenAdd);
    // The read error, and the loads go on.
    EXPECT_EQ(std::tuple(Layout(viewer.menus.objectsMenu), viewer.log), std::tuple(kObjectsAfterFourLoads, "Error; "));
    // Each entry switches its own object, and the check marks follow.
    const std::pair<int32_t, const char*> steps[] = {
        {5002, "xo o- xo xo x- "}, {10004, "xo o- xx xo x- "}, {5000, "oo o- xx xo x- "},
        {5002, "oo x- xx xo x- "}, {10006, "oo x- xx xx x- "}, {10004, "oo x- xo xx x- "}};
    for (const auto& [choice, marks] : steps) {
        viewer.Choose(choice);
        EXPECT_EQ(Marks(viewer), marks) << choice;
    }

    // Local files dropped on the window, a web address among them, load as Open (Add)
    // loads them, once the drop is over; a drag is refused while a file is being read.
    QWidget window;
    new SceneFileDropTarget(&window, dropped.ctx);
    const std::vector<QUrl> web{QUrl("https://talan3d.example.org/pit.KDX")};
    dropped.shell.loading = true;
    EXPECT_FALSE(testing::DropFiles(window, files, web)) << "no drop while a file is being read";
    dropped.shell.loading = false;
    ASSERT_TRUE(testing::DropFiles(window, files, web));
    EXPECT_TRUE(dropped.scene.objectNames.empty());
    QApplication::processEvents();
    EXPECT_EQ(std::tuple(Layout(dropped.menus.objectsMenu), dropped.answered, dropped.log),
              std::tuple(kObjectsAfterFourLoads, 0u, "Error; "));
}

TEST_F(MenuCommands, PastTwoAndAHalfThousandObjectsEachEntrySwitchesItsOwnObject) {
    // From object 2,500 on, 5000 + 2k is also the identifier of a Transparent entry: 10000
    // is object 2,500's entry and object 0's Transparent one. A '&' in a name is no shortcut.
    std::string text = "\"Tavrin\"\n";
    for (int k = 0; k <= 2500; ++k) text += TagLine("T3", 1) + "1,0,0,\nA&B,\n0,0,0,1,0,0,0,1,0,\n";
    Viewer viewer(2);
    viewer.Open(kCommandOpenAdd, text);
    ObjectEntry(viewer.menus, ObjectFlag::Visible, 2500)->trigger();
    DispatchCommand(viewer.ctx, 10000);  // the identifier alone: Transparent entries from 10000 on
    const std::string marks = Marks(viewer);
    EXPECT_EQ(marks.substr(0, 6) + marks.substr(3 * 2499), "xx xo xo oo ");
    EXPECT_EQ(ObjectEntry(viewer.menus, ObjectFlag::Transparent, 2500)->text().toStdString(), "A&&B");
}

TEST_F(MenuCommands, ALoadShowsItsProgressWindowOnceItHasRunAFifthOfASecondAndClosesItAtItsEnd) {
    Viewer viewer(2);
    viewer.host.showProgress = true;
    viewer.host.progressShowDelayMs = 0;
    int shownAtRefresh = 0;  // windows still shown when the first frame of the new scene is asked for
    viewer.onRedraw = [&] {
        for (const QWidget* widget : QApplication::topLevelWidgets()) shownAtRefresh += widget->isVisible();
    };
    viewer.Open(kCommandOpenAdd, kExampleScene);
    EXPECT_EQ(std::tuple(shownAtRefresh, viewer.scene.objectNames.size()), std::tuple(0, 2u));

    ProgressBar late, early(nullptr, 0);  // their clocks start here
    for (ProgressBar* bar : {&late, &early}) bar->Show("Pit", 800, 600);
    EXPECT_EQ(std::pair(late.IsShown(), early.IsShown()), std::pair(false, true));
}

// The shown top-level window of this title, if any.
const QWidget* WindowTitled(const char* title) {
    for (const QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible() && widget->windowTitle() == QString::fromUtf8(title)) return widget;
    }
    return nullptr;
}

TEST_F(MenuCommands, TheProgressWindowIsCentredOnTheDrawingAreaOnScreenAndWaitsFromTheStartOfTheLoad) {
    // ((width - 350) / 2, (height - 50) / 2), within the screen: a drawing area smaller
    // than the bar puts it at the screen's edge, not far out of sight.
    const QRect screen(0, 0, 1280, 1024), second(1280, 0, 1920, 1080);
    EXPECT_EQ(ProgressBarPosition(1000, 700, screen), QPoint(325, 325));
    EXPECT_EQ(ProgressBarPosition(700, 1000, screen), QPoint(175, 475));
    EXPECT_EQ(ProgressBarPosition(300, 40, screen), QPoint(0, 0));
    EXPECT_EQ(ProgressBarPosition(5000, 3000, screen), QPoint(930, 974));
    EXPECT_EQ(ProgressBarPosition(1000, 700, second), QPoint(1280, 325));
    // The window is put there.
    const QScreen* offscreen = QGuiApplication::primaryScreen();
    ASSERT_TRUE(offscreen != nullptr && offscreen->availableGeometry().contains(QRect(0, 0, 525, 275)));
    ProgressBar atOnce(nullptr, 0);
    atOnce.Show("Ramp", 700, 500);
    ASSERT_NE(WindowTitled("Ramp"), nullptr);
    EXPECT_EQ(WindowTitled("Ramp")->pos(), QPoint(175, 225));
    // The delay runs from the start of the load, not of each section: a load of many
    // short sections still shows its window, titled by the section being read.
    ProgressBar delayed(nullptr, 20);
    delayed.Show("Pit", 700, 500);
    EXPECT_EQ(WindowTitled("Pit"), nullptr);
    std::this_thread::sleep_for(std::chrono::milliseconds(40));  // past the delay and the paint interval
    delayed.Show("Crest", 700, 500);
    ASSERT_NE(WindowTitled("Crest"), nullptr);
    // The end of the read fills the bar at once, however recently it was painted; the
    // upload that follows serves no events. Without a window there is nothing to fill.
    delayed.SetPosition(10);
    delayed.ReadOver();
    EXPECT_EQ(WindowTitled("Crest")->findChild<QProgressBar*>()->value(), 100);
    ProgressBar hidden(nullptr, 60'000);
    hidden.Show("Pit", 700, 500);
    hidden.ReadOver();
    EXPECT_EQ(std::pair(hidden.Position(), hidden.IsShown()), std::pair(0, false));
    delayed.Close();
    EXPECT_EQ(WindowTitled("Crest"), nullptr);
}

TEST_F(MenuCommands, FilesDroppedLaterJoinTheSceneInTheOrderDropped) {
    Viewer viewer(2);
    QWidget window;
    new SceneFileDropTarget(&window, viewer.ctx);
    const auto drop = [&](const std::vector<std::string_view>& texts) {
        std::vector<std::string> paths;
        for (const std::string_view text : texts) paths.push_back(viewer.File(text));
        testing::DropFiles(window, paths);
    };
    const auto names = [&] {
        std::string all;
        for (const std::string& name : viewer.scene.objectNames) all += name + "; ";
        return all;
    };
    drop({kExampleScene});
    QApplication::processEvents();
    drop({kHoles});  // a second drop, once the first has loaded, adds its file
    QApplication::processEvents();
    EXPECT_EQ(names(), "Pit floor; Ramp; DDH-3172; DDH-0031; ");
    // A drop that arrives while the read error of an earlier file is shown loads after
    // the rest of the earlier drop.
    bool droppedDuringBox = false;
    viewer.onMessage = [&] {
        if (!std::exchange(droppedDuringBox, true)) drop({kBlocks});
    };
    drop({kNotAScene, kFold});
    QApplication::processEvents();
    EXPECT_EQ(std::tuple(names(), viewer.log), std::tuple("Pit floor; Ramp; DDH-3172; DDH-0031; fold; Bloques; ",
                                                          "Error; "));
}

TEST_F(ObjectsPanelTest, ListsTheObjectsNarrowsToTheFilterAndSwitchesThemAsTheMenusDo) {
    Viewer viewer(2);
    viewer.paths = {viewer.File(kExampleScene), viewer.File(kBlocks), viewer.File(kHoles)};
    viewer.Choose(kCommandOpenAdd, kCommandOpenAdd, kCommandOpenAdd);
    QTableView* table = viewer.panel->Table();
    QAbstractItemModel& model = *table->model();
    const std::string holes = "DDH-3172 D.Holes 1; DDH-0031 D.Holes 1; ";
    EXPECT_EQ(Rows(model), "Pit floor T3 2; Ramp Lines 1; Bloques Blocks 2; " + holes);
    // By name whatever the case, by kind as the menus call it, by the kind's tag in the file.
    // Anywhere in the name, blanks around the text ignored; nothing when nothing matches.
    for (const auto& [typed, rows] :
         {std::pair("ddh-31", "DDH-3172 D.Holes 1; "), std::pair("lines", "Ramp Lines 1; "),
          std::pair("sonkdx", holes.c_str()), std::pair(" 0031  ", "DDH-0031 D.Holes 1; "),
          std::pair("FLOOR", "Pit floor T3 2; "), std::pair("ddh-31x", "")}) {
        viewer.panel->FilterField()->setText(typed);
        EXPECT_EQ(Rows(model), rows) << typed;
    }
    // The filter stays over a load; a name cut short in its column shows whole in its tool tip.
    viewer.panel->FilterField()->setText("ddh");
    viewer.Open(kCommandOpenAdd, kHoles);
    EXPECT_EQ(Rows(model), holes + holes);
    EXPECT_EQ(model.data(model.index(3, 0), Qt::ToolTipRole).toString().toStdString(), "DDH-0031");
    viewer.panel->FilterField()->clear();
    // The View entry shows it and the close box hides it.
    viewer.Choose(kCommandObjectsPanel);
    EXPECT_FALSE(viewer.panel->isHidden());
    // A check box clicked is the object's command; a menu entry chosen shows in the panel.
    model.setData(model.index(1, 0), Qt::Unchecked, Qt::CheckStateRole);
    viewer.Choose(10004);
    EXPECT_EQ(Marks(viewer), "xo o- xx x- x- x- x- ");
    // Space switches every selected row to the opposite of the current one.
    const auto space = [&](std::initializer_list<int> rows, int currentRow, int currentColumn) {
        QItemSelection selection;
        for (const int row : rows) selection.select(model.index(row, 0), model.index(row, 3));
        table->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
        table->selectionModel()->setCurrentIndex(model.index(currentRow, currentColumn), QItemSelectionModel::NoUpdate);
        QKeyEvent key(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, " ");
        QApplication::sendEvent(table, &key);
        return Marks(viewer);
    };
    EXPECT_EQ(space({0, 1, 3}, 1, 0), "xo x- xx x- x- x- x- ");
    EXPECT_EQ(space({0, 1, 2, 3, 4}, 0, 3), "xx x- xx x- x- x- x- ");  // in the Transparent column, where there is one
    viewer.panel->close();
    EXPECT_EQ(std::tuple(viewer.panel->isHidden(), viewer.Checked(kCommandObjectsPanel)), std::tuple(true, false));
}

TEST_F(ObjectsPanelTest, F9ATypedFilterDownAndSpaceSwitchTheRowTheKeyboardIsOn) {
    Viewer viewer(1);
    viewer.paths = {viewer.File(kExampleScene), viewer.File(kBlocks), viewer.File(kHoles)};
    viewer.Choose(kCommandOpenAdd, kCommandOpenAdd, kCommandOpenAdd, kCommandObjectsPanel);
    QLineEdit* filter = viewer.panel->FilterField();
    QTableView* table = viewer.panel->Table();
    const QAbstractItemModel& model = *table->model();
    const auto press = [](QWidget* to, int key, const QString& text = {}) {
        QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier, text);
        QApplication::sendEvent(to, &event);
    };
    for (const char c : std::string("sondeos")) press(filter, QChar(c).toUpper().unicode(), QString(QChar(c)));
    EXPECT_EQ(Rows(model), "DDH-3172 Sondeos 1; DDH-0031 Sondeos 1; ");  // the kind as the Spanish menus call it
    // The list taking the keyboard makes its first row current without selecting it, as
    // a window's focus does; Down from the filter selects it and Space switches it.
    const auto selected = [&] {
        std::string rows;
        for (const QModelIndex& row : table->selectionModel()->selectedRows()) rows += std::to_string(row.row()) + " ";
        return rows;
    };
    table->selectionModel()->setCurrentIndex(model.index(0, 0), QItemSelectionModel::NoUpdate);
    press(filter, Qt::Key_Down);
    EXPECT_EQ(selected(), "0 ");
    press(table, Qt::Key_Space, " ");
    EXPECT_EQ(Marks(viewer), "xo x- xo o- x- ");
    // Down and Up select the row they reach, alone.
    press(table, Qt::Key_Down);
    press(table, Qt::Key_Space, " ");
    EXPECT_EQ(std::pair(selected(), Marks(viewer)), std::pair(std::string("1 "), std::string("xo x- xo o- o- ")));
    press(table, Qt::Key_Up);
    press(table, Qt::Key_Space, " ");
    EXPECT_EQ(std::pair(selected(), Marks(viewer)), std::pair(std::string("0 "), std::string("xo x- xo x- o- ")));
    // With no row selected, Space switches the current one.
    table->clearSelection();
    press(table, Qt::Key_Space, " ");
    EXPECT_EQ(Marks(viewer), "xo x- xo o- o- ");
    // A new filter and Down, with no row current: the first row.
    filter->setText("ramp");
    press(filter, Qt::Key_Down);
    press(table, Qt::Key_Space, " ");
    EXPECT_EQ(Marks(viewer), "xo o- xo o- o- ");
}

TEST_F(ObjectsPanelTest, TheDockedPanelWidensForTheNamesWithinHalfTheWindow) {
    const std::string fault = "Jacksboro fault zone hanging wall contacts";
    const std::string longer(300, 'W');
    for (const auto& [name, whole] : {std::pair(fault, true), std::pair(longer, false)}) {
        Viewer viewer(2);
        QMainWindow& window = viewer.window;
        window.setCentralWidget(new QWidget);
        window.resize(1024, 768);
        window.show();
        viewer.Open(kCommandOpenAdd, "\"Tavrin\"\n" + TagLine("PTS", 1) + "255,\n" + name + ",\nx\n1,2,3\n");
        viewer.Choose(kCommandObjectsPanel);
        for (int turn = 0; turn < 3; ++turn) QApplication::processEvents();  // laid out, widened, laid out again
        const QTableView* table = viewer.panel->Table();
        const QAbstractItemView* list = table;
        const int shown = table->horizontalHeader()->sectionSize(0), needed = list->sizeHintForColumn(0);
        EXPECT_EQ(shown >= needed, whole) << shown << " " << needed << " panel " << viewer.panel->width()
                                          << " table " << table->width() << " vp " << table->viewport()->width();
        EXPECT_LE(viewer.panel->width(), 512);
        EXPECT_EQ(table->model()->data(table->model()->index(0, 0), Qt::ToolTipRole).toString().toStdString(), name);
    }
}

// The read error names the file and why, in the language of the menus, for Open
// (Add), New and a dropped file alike.
// The File menu lists the files opened last, newest first, by the dialog and by a drop
// alike, each once; choosing one loads it as Open (Add) does; one gone since is told
// as Open (Add) tells it and leaves the list.
TEST_F(MenuCommands, TheFileMenuListsTheFilesOpenedLastAndOpensThemAgain) {
    Viewer viewer(kLanguageEnglish);
    const std::string pit = viewer.File(kExampleScene), blocks = viewer.File(kBlocks), wall = viewer.File(kWall);
    viewer.paths = {pit, blocks, viewer.File(kNotAScene), pit};
    viewer.Choose(kCommandOpenAdd, kCommandOpenAdd, kCommandOpenAdd, kCommandOpenAdd);
    QWidget window;
    new SceneFileDropTarget(&window, viewer.ctx);
    testing::DropFiles(window, {wall});
    QApplication::processEvents();
    const QMenu* file = viewer.menus.fileMenu;
    EXPECT_EQ(Layout(file), "4000 4001 4002o - 4130 4131 4132 - 16");
    const auto texts = [&viewer] {
        std::vector<std::string> shown;
        for (const QAction* entry : viewer.menus.recentEntries) {
            if (!entry->isSeparator()) shown.push_back(entry->text().toStdString());
        }
        return shown;
    };
    EXPECT_EQ(texts(), (std::vector<std::string>{"1 " + wall, "2 " + pit, "3 " + blocks}));

    // The third entry adds the blocks' object again, at the end, and heads the list.
    const std::vector<std::string> before = viewer.scene.objectNames;
    viewer.menus.recentEntries[3]->trigger();
    EXPECT_EQ(viewer.scene.objectNames.size(), before.size() + 1);
    EXPECT_EQ(viewer.scene.objectNames.back(), before[2]);
    Layout(file);
    EXPECT_EQ(texts(), (std::vector<std::string>{"1 " + blocks, "2 " + wall, "3 " + pit}));

    std::remove(pit.c_str());
    const size_t messages = viewer.messages.size();
    viewer.menus.recentEntries[3]->trigger();
    EXPECT_EQ(viewer.messages.size(), messages + 1);
    EXPECT_EQ(viewer.messages.back(), "Error en la lectura del fichero.\n" + pit + ": not found.");
    EXPECT_EQ(Layout(file), "4000 4001 4002o - 4130 4131 - 16");
    EXPECT_EQ(viewer.shell.recentFiles, (std::vector<std::string>{blocks, wall}));
}

TEST_F(MenuCommands, TheReadErrorNamesTheFileAndWhyInTheLanguageOfTheMenus) {
    Viewer spanish(kLanguageSpanish), english(kLanguageEnglish);
    const std::string notAScene = spanish.File(kNotAScene), nothing = spanish.File("\"Tavrin\"\n");
    const std::string missing = notAScene + ".missing";
    spanish.paths = {missing, nothing};
    spanish.Choose(kCommandOpenAdd, kCommandNew);
    EXPECT_EQ(spanish.messages,
              (std::vector<std::string>{"Error en la lectura del fichero.\n" + missing + ": no existe.",
                                        "Error en la lectura del fichero.\n" + nothing +
                                            ": no hay nada que dibujar: la escena no tiene ningún vértice."}));

    QWidget window;
    new SceneFileDropTarget(&window, english.ctx);
    testing::DropFiles(window, {notAScene});
    QApplication::processEvents();
    EXPECT_EQ(english.messages, std::vector<std::string>{"Error en la lectura del fichero.\n" + notAScene +
                                                         ": not a scene file: line 1 does not carry the \"Tavrin\" "
                                                         "signature."});
}

}  // namespace
}  // namespace talan
