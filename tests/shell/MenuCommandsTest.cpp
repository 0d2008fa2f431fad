// The menu bar and every command chosen through it as a user would, with the modal
// dialogs answered by the test; the objects panel and the progress window of a load.
#include <gtest/gtest.h>

#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <thread>
#include <tuple>

// The shell's headers bring the GL declarations; Qt's must come after them.
#include "QtTestApplication.h"
#include "TestHelpers.h"
#include "shell/Commands.h"
#include "shell/SlabsAndPicks.h"
#include "shell/ObjectsPanel.h"
#include "shell/SceneFileDrop.h"

#include <QAction>
#include <QApplication>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QTableView>
#include <QUrl>

namespace talan {
namespace {

using testing::kExampleScene;
using testing::TagLine;
using Message = std::pair<std::string, std::string>;  // text, caption
const std::vector<Message> kReadError{{"Error en la lectura del fichero.", "Error"}};

// The viewer's records, menu bar and objects panel without a window or a drawing
// context. It answers the dialogs from its lists (none left: cancelled) and records
// what they showed; the upload fails, as the real one does, when there is no vertex.
struct Viewer : Dialogs {
    explicit Viewer(uint32_t language) {
        shell.language = language;
        shell.clientWidth = 800;
        shell.clientHeight = 600;
        ctx.upload = [this] {
            uploads.push_back(scene.totalVertexCount > 0 ? Normal0() : std::array<float, 3>{});
            return scene.totalVertexCount > 0 ? kStatusOk : kStatusInvalidArg;
        };
        ctx.closeWindow = [this] { ++closes; };
        ctx.endDrags = [this] { ++dragEnds; };
        ctx.showStatus = [this](const std::string& text) { status = text; };
        ctx.copyText = [this](const std::string& text) { copied = text; };
        ctx.showProgress = false;
        panel = std::make_unique<ObjectsPanel>(ctx);  // in the language of the menus
        ctx.objectsPanel = panel.get();
        BuildMenus(ctx, &bar);
    }
    std::optional<std::string> OpenSceneFile(QWidget*) override {
        const size_t answer = openDialogs++;
        return answer < paths.size() ? std::optional(paths[answer]) : std::nullopt;
    }
    std::optional<uint32_t> ChooseColour(QWidget*, std::array<uint32_t, 16>& custom) override {
        customColoursSeen.push_back(custom);
        custom[0] = 0x00123456;  // the user makes a custom colour
        return std::exchange(colour, std::nullopt);
    }
    void ShowMessage(const std::string& text, const std::string& caption) override {
        messages.emplace_back(text, caption);
    }
    void ShowAbout(QWidget*, uint32_t language) override { aboutLanguages.push_back(language); }

    // Chooses the entry of `id` (an object's by the identifier --info reports) as a click does.
    void Choose(int32_t id) {
        const Command c = CommandOfIdentifier(id);
        QAction* entry = c.object >= 0 ? ObjectEntry(menus, c.flag, c.object) : menus.actions.at(id);
        ASSERT_NE(entry, nullptr) << id;
        entry->trigger();
    }
    void Open(int32_t command, const std::string& path) {  // the next dialog's answer
        paths.resize(openDialogs);
        paths.push_back(path);
        Choose(command);
    }
    bool Checked(int32_t id) const { return menus.actions.at(id)->isChecked(); }
    std::array<float, 3> Normal0() const { return std::to_array(VertexAt(scene, 0).normal); }

    ShellState shell;
    ViewState view;
    SceneModel scene;
    GraphicsState graphics;
    MenuHandles menus;
    QMenuBar bar;
    ShellContext ctx{.shell = shell, .view = view, .scene = scene, .graphics = graphics, .dialogs = *this,
                     .menus = &menus};
    std::unique_ptr<ObjectsPanel> panel;
    std::vector<std::string> paths;  // the open dialog's answers, one per dialog
    std::optional<uint32_t> colour;  // the colour dialog's answer
    size_t openDialogs = 0;
    int closes = 0, dragEnds = 0;
    std::vector<std::array<float, 3>> uploads;  // the normal of vertex 0 at each upload
    std::vector<std::array<uint32_t, 16>> customColoursSeen;
    std::vector<Message> messages;
    std::vector<uint32_t> aboutLanguages;
    std::string status, copied;
};

// The identifiers of a menu's entries once it is open (objects' entries join their
// submenu then): a submenu in brackets, "-" a separator, "+" or "o" after an entry
// with a check mark, checked or not. Object k's entries are 5000 + 2k and 10000 + 2k.
std::string Layout(const MenuHandles& menus, const QWidget* menuOrBar) {
    if (auto* menu = qobject_cast<QMenu*>(const_cast<QWidget*>(menuOrBar))) emit menu->aboutToShow();
    std::string out;
    for (const QAction* action : menuOrBar->actions()) {
        int32_t id = action->data().toInt();
        for (size_t k = 0; k < menus.objectEntries.size(); ++k) {
            if (menus.objectEntries[k] == action) id = kFirstObjectMenuId + 2 * static_cast<int32_t>(k);
            if (menus.transparencyEntries[k] == action) id = kFirstTransparencyMenuId + 2 * static_cast<int32_t>(k);
        }
        out += out.empty() ? "" : " ";
        const QMenu* submenu = QMenu::menuInAction(action);
        out += action->isSeparator() ? "-" : submenu ? "[" + Layout(menus, submenu) + "]" : std::to_string(id);
        if (action->isCheckable()) out += action->isChecked() ? "+" : "o";
    }
    return out;
}

// Each object's two switches as its menu entries show them ("x" checked, "o" not, "-"
// no entry), visibility first; the panel's check boxes must show the same.
std::string Marks(const Viewer& viewer) {
    const QAbstractItemModel& model = *viewer.panel->Table()->model();
    std::string menus, panel;
    for (int32_t k = 0; k < static_cast<int32_t>(viewer.menus.objectEntries.size()); ++k) {
        for (const ObjectFlag flag : {ObjectFlag::Visible, ObjectFlag::Transparent}) {
            const QAction* entry = ObjectEntry(viewer.menus, flag, k);
            menus += entry == nullptr ? '-' : entry->isChecked() ? 'x' : 'o';
            const QVariant box = model.data(model.index(k, flag == ObjectFlag::Visible ? 0 : 3), Qt::CheckStateRole);
            panel += !box.isValid() ? '-' : box.toInt() == Qt::Checked ? 'x' : 'o';
        }
        menus += ' ';
        panel += ' ';
    }
    EXPECT_EQ(panel, menus) << "the panel and the menus disagree";
    return menus;
}

// Two triangles sharing an edge, one flat and one upright: smoothing turns the
// normal of their shared corners (vertex 0 among them) into the mean (0.5, 0.5, 0).
const std::string kFold = "\"Tavrin\"\n" + TagLine("T3", 2) + "1,0,0,\nfold,\n0,0,0,0,1,0,1,0,0,\n0,0,0,0,0,1,0,1,0,\n";
// Two blocks, whose entries carry the block model's fixed name; three holes.
const std::string kBlocks = "\"Tavrin\"\n" + TagLine("BLKKDX", 2) + "10,10,5,\nx\nx\n0,0,0,255,\n20,0,0,65280,\n";
const std::string kHoles = "\"Tavrin\"\n" + TagLine("SONKDX", 1) + "DDH-3172,\nx\n0,0,0,0,0,-10,255\n" +
                           TagLine("SONKDX", 1) + "DDH-0031,\nx\n0,0,0,0,0,-10,255\n" + TagLine("SONKDX", 1) +
                           "DDH-3100,\nx\n0,0,0,0,0,-10,255\n";
constexpr char kNotAScene[] = "Tavrim  T3      1,\n1,0,0,\nlooks like one,\n0,0,0,1,0,0,0,1,0,\n";
// The Objects menu after the example, a file that is not a scene, the blocks and the example again.
constexpr char kObjectsAfterFourLoads[] = "[5000+ 5006+] [5004+] [] [5002+ 5008+] [] []";
constexpr char kFixedEntries[] =
    "[4000 4001 4002o - 16] [[] [] [] [] [] []] [4014 [] - 4010+ - 4060o - 4012+ 4013+ - 4070o - "
    "[4100o 4101o 4102o - 4103 4104 4105 4106 4107 - 4108] 4110o 4111] [4020 [4022o 4023+] 4021o] [4030 4031]";

class MenuTest : public testing::QtApplicationTest {
protected:
    // A scene file of this test, removed after it.
    std::string Write(const std::string& name, std::string_view text) {
        written_.push_back(::testing::TempDir() + "menus_" + std::to_string(::getpid()) + "_" + name);
        std::ofstream(written_.back(), std::ios::binary) << text;
        return written_.back();
    }
    void TearDown() override {
        for (const std::string& path : written_) std::remove(path.c_str());
    }
    std::vector<std::string> written_;
};
using MenuBar = MenuTest;
using MenuCommands = MenuTest;
using MenuObjectEntries = MenuTest;
using ObjectsPanelTest = MenuTest;

TEST_F(MenuBar, IdentifiersPlacesAndCheckMarksInEveryLanguage) {
    for (const uint32_t language : {0u, 1u, 2u, 3u}) {
        const bool spanish = language == kLanguageSpanish;
        Viewer viewer(language);
        std::string expected = kFixedEntries;
        if (spanish) expected.replace(expected.find("4022o 4023+"), 11, "4022+ 4023o");
        EXPECT_EQ(Layout(viewer.menus, &viewer.bar), expected) << language;
        EXPECT_EQ(viewer.menus.actions.at(kCommandOpenAdd)->text().toStdString(),
                  spanish ? "Abrir (Añadir)" : "Open (Add)");
    }
    // The kind submenus in the menu's order; each takes its kind's objects (see NamesAreShownAsWritten...).
    Viewer viewer(2);
    std::string kinds;
    for (const QAction* action : viewer.menus.objectsMenu->actions()) kinds += action->text().toStdString() + " ";
    EXPECT_EQ(kinds, "T3 Blocks Surfaces Lines Points D.Holes ");
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
        EXPECT_EQ(viewer.graphics.opaqueRasterDesc.cullMode, cull) << ::testing::PrintToString(choices);
        EXPECT_EQ(viewer.graphics.transparentRasterDesc.cullMode, CullMode::Back);
        // "Front face" alone culls front faces, "Back face" alone back faces.
        EXPECT_EQ(std::tuple(viewer.Checked(F), viewer.Checked(B)),
                  std::tuple(cull != CullMode::Back, cull != CullMode::Front));
    }
}

TEST_F(MenuCommands, SwitchesOfTheDrawingAndOfSmoothing) {
    Viewer viewer(2);
    const RasterDesc &opaque = viewer.graphics.opaqueRasterDesc, &transparent = viewer.graphics.transparentRasterDesc;
    for (const bool on : {false, true}) {  // solid faces and antialiasing, for both raster descriptions
        viewer.Choose(kCommandSolidFace);
        viewer.Choose(kCommandAntialiased);
        const FillMode fill = on ? FillMode::Solid : FillMode::Wireframe;
        EXPECT_EQ(std::tuple(opaque.fillMode, transparent.fillMode, opaque.antialiasedLineEnable,
                             transparent.antialiasedLineEnable, opaque.cullMode),
                  std::tuple(fill, fill, !on, !on, CullMode::None));
        EXPECT_EQ(std::tuple(viewer.Checked(kCommandSolidFace), viewer.Checked(kCommandAntialiased)),
                  std::tuple(on, !on));
    }
    // Nothing loaded: the upload of no vertex fails, and that is the result, unshown.
    EXPECT_EQ(DispatchCommand(viewer.ctx, kCommandSmoothActives), kStatusInvalidArg);
    const std::array<float, 3> flat{0, 1, 0}, smoothed{0.5f, 0.5f, 0};
    for (const bool smooth : {true, false}) {
        viewer.Choose(kCommandSmoothOnOpen);
        EXPECT_EQ(viewer.Checked(kCommandSmoothOnOpen), smooth);
        viewer.Open(kCommandNew, Write("fold.KDX", kFold));
        EXPECT_EQ(viewer.Normal0(), smooth ? smoothed : flat);
    }
    EXPECT_EQ(DispatchCommand(viewer.ctx, kCommandSmoothActives), kStatusOk);
    EXPECT_EQ(viewer.uploads.size(), 4u);
    EXPECT_EQ(viewer.uploads.back(), smoothed) << "smoothed before the upload";
    EXPECT_TRUE(viewer.messages.empty());
}

TEST_F(MenuCommands, LanguageSwitchesOnlyFromTheOtherOneAndHelpAndAboutFollowIt) {
    const Message toSpanish{"Para actualizar el idioma hay que reiniciar el programa.", "Aviso"};
    const Message toEnglish{"To update the language you have to restart the program.", "Notice"};
    const std::tuple<uint32_t, int32_t, uint32_t, std::vector<Message>> cases[] = {
        {1, kCommandEnglish, 2, {toEnglish}}, {2, kCommandSpanish, 1, {toSpanish}}, {1, kCommandSpanish, 1, {}},
        {2, kCommandEnglish, 2, {}},          {3, kCommandSpanish, 3, {}},          {3, kCommandEnglish, 3, {}}};
    for (const auto& [language, choice, after, messages] : cases) {
        Viewer viewer(language);
        viewer.Choose(choice);
        EXPECT_EQ(viewer.messages, messages) << language << " " << choice;
        EXPECT_EQ(std::tuple(viewer.Checked(kCommandSpanish), viewer.Checked(kCommandEnglish)),
                  std::tuple(after == kLanguageSpanish, after != kLanguageSpanish));
        EXPECT_EQ(viewer.menus.fileMenu->title().toStdString(), language == 1 ? "Archivo" : "File") << "till restarted";
        viewer.Choose(kCommandHelp);
        viewer.Choose(kCommandAbout);
        const std::string start = after == 1 ? "Boton pulsado:\n - Izquierdo" : "Button down:\n - Left";
        EXPECT_EQ(viewer.messages.back().first.substr(0, start.size()), start);
        EXPECT_EQ(viewer.messages.back().second, after == 1 ? "Ayuda" : "Help");
        EXPECT_EQ(viewer.aboutLanguages, std::vector<uint32_t>{after});
    }
}

TEST_F(MenuCommands, AutoTurnBackColourOtherIdentifiersAndEnd) {
    Viewer viewer(1);
    viewer.Choose(kCommandAutoTurn);
    EXPECT_EQ(std::tuple(viewer.Checked(kCommandAutoTurn), viewer.view.autoTurnSpeed), std::tuple(true, 5.0f));
    viewer.view.autoTurnSpeed = -17.0f;  // a drag in auto-turn mode changed the speed
    viewer.Choose(kCommandAutoTurn);
    EXPECT_EQ(std::tuple(viewer.Checked(kCommandAutoTurn), viewer.view.autoTurnSpeed, viewer.dragEnds),
              std::tuple(false, 0.0f, 2));
    // The chosen 0x00BBGGRR bytes over 255, 255 exactly 1; a cancelled dialog keeps the
    // colour, and the user's custom colours last the run.
    viewer.view.backgroundColor = {0.25f, 0.5f, 0.75f, 0.125f};
    viewer.colour = 0xFF4020;
    for (int i = 0; i < 2; ++i) {
        viewer.Choose(kCommandBackColour);
        EXPECT_FLOAT_EQ(viewer.view.backgroundColor[0], 32.0f / 255);
        EXPECT_FLOAT_EQ(viewer.view.backgroundColor[1], 64.0f / 255);
        EXPECT_EQ(std::tuple(viewer.view.backgroundColor[2], viewer.view.backgroundColor[3]), std::tuple(1.0f, 0.125f));
    }
    EXPECT_EQ(viewer.customColoursSeen, (std::vector<std::array<uint32_t, 16>>{{}, {0x00123456}}));

    viewer.Open(kCommandNew, Write("example.KDX", kExampleScene));
    const std::string menus = Layout(viewer.menus, &viewer.bar);
    const std::tuple raster(viewer.graphics.opaqueRasterDesc, viewer.graphics.transparentRasterDesc);
    for (const int32_t id : {0, 1, 15, 17, 3999, 4003, 4011, 4015, 4024, 4032, 4059, 4061, 4109, 4112, 4999, 5001,
                             5004, 9998, 10001, 10004}) {
        EXPECT_EQ(DispatchCommand(viewer.ctx, id), kStatusOk) << id;
    }
    EXPECT_EQ(std::tuple(Layout(viewer.menus, &viewer.bar), Marks(viewer), viewer.status),
              std::tuple(menus, "xo x- ", ""));
    EXPECT_EQ(std::tuple(viewer.graphics.opaqueRasterDesc, viewer.graphics.transparentRasterDesc), raster);
    viewer.Choose(kCommandEnd);
    EXPECT_EQ(std::tuple(viewer.closes, viewer.openDialogs, viewer.messages.size()), std::tuple(1, 1u, 0u));
}

TEST_F(MenuCommands, SectionSlabStepsThroughTheSceneAndMeasuringTakesTwoPicks) {
    Viewer viewer(2);
    viewer.view.cameraTarget = {1000, 2000, 300};
    viewer.view.sceneSize = 400;
    viewer.Choose(kCommandSectionY);  // across y, at the target, a twentieth of the scene thick
    EXPECT_TRUE(viewer.Checked(kCommandSectionY));
    EXPECT_EQ(viewer.status, "Section across Y = 2000.00, 20.00 thick");
    for (const int32_t id : {kCommandSectionForward, kCommandSectionThicker, kCommandSectionBack}) viewer.Choose(id);
    EXPECT_EQ(viewer.status, "Section across Y = 1980.00, 40.00 thick");
    viewer.Choose(kCommandSectionThinner);
    viewer.Choose(kCommandLookAlongSection);  // north, at the level
    EXPECT_EQ(std::tuple(viewer.view.cameraYaw, viewer.view.cameraPitch), std::tuple(0.0f, 0.0f));
    viewer.Choose(kCommandSectionZ);  // another axis replaces the slab; the same key removes it
    viewer.Choose(kCommandLookAlongSection);
    EXPECT_EQ(std::tuple(viewer.view.section.centre, viewer.Checked(kCommandSectionY), viewer.view.cameraPitch),
              std::tuple(300.0, false, 89.0f));
    viewer.Choose(kCommandSectionZ);
    EXPECT_EQ(std::tuple(viewer.view.section.Active(), viewer.status), std::tuple(false, ""));
    viewer.Choose(kCommandSectionX);
    viewer.Choose(kCommandSectionRemove);
    EXPECT_FALSE(viewer.view.section.Active());

    // M, then two clicks; a click on the background between them adds no point.
    viewer.scene.objectNames = {"Pit"};  // what a pick names
    viewer.scene.objectKinds = {ObjectKind::T3};
    viewer.Choose(kCommandMeasure);
    EXPECT_EQ(viewer.status, "Measure: click the first point");
    const auto pick = [&](FilePoint at, bool hit) { Picked(viewer.ctx, PickResult{hit, at, {0, 7, 0}}); };
    pick({0, 0, 10}, true);
    pick({5, 5, 5}, false);
    pick({0, -10, 0}, true);
    viewer.Choose(kCommandCopyResult);
    EXPECT_EQ(viewer.copied, "Measured: slope 14.14, horizontal 10.00, dz -10.00, azimuth 180.00°, dip 45.00°");
    viewer.Choose(kCommandMeasure);  // M again takes the measurement away
    EXPECT_FALSE(viewer.view.measure.Shown());
    pick({1.5, 2.25, 3}, true);  // outside a measurement a click is a pick
    viewer.Choose(kCommandCopyResult);
    EXPECT_EQ(viewer.copied, "Point 1.50, 2.25, 3.00: object 0 \"Pit\" (T3), triangle 7");
    viewer.Choose(kCommandSectionX);
    viewer.Choose(kCommandNew);  // with the dialog cancelled, it forgets them all
    EXPECT_EQ(std::tuple(viewer.view.section.Active(), viewer.shell.pickText, viewer.status), std::tuple(false, "", ""));
}

TEST_F(MenuCommands, NewResetsTheSceneAndTheViewAndLeavesTheRest) {
    Viewer viewer(1);
    viewer.paths = {Write("example.KDX", kExampleScene), Write("blocks.KDX", kBlocks)};
    viewer.colour = 0x0000FF;
    for (const int32_t id : std::initializer_list<int32_t>{
             kCommandNew, kCommandOpenAdd, kCommandSolidFace, kCommandAutoTurn, kCommandFrontFace, kCommandAntialiased,
             kCommandSmoothOnOpen, kCommandEnglish, kCommandBackColour, kCommandObjectsPanel, kCommandSectionX, 10000,
             5002}) {
        viewer.Choose(id);
    }
    ViewState& view = viewer.view;
    view.cameraYaw = 33.0f;
    view.autoTurnDrag = true;
    view.lightSpinSpeed = 3.0f;
    view.lightAzimuth = 100.0f;
    view.ambientIntensity = 1.25f;
    view.transparencyLevel = 0.05f;
    const auto kept = [](const ViewState& v) {
        return std::tuple(v.backgroundColor, v.cameraYaw, v.cameraPitch, v.cameraDistance, v.cameraTarget, v.sceneSize,
                          v.lightAzimuth, v.lightElevation, v.ambientIntensity);
    };
    const auto before = kept(view);
    viewer.Choose(kCommandNew);  // and cancel the dialog
    // The per-object entries are gone; solid faces, both faces, no auto-turn and no
    // section; smoothing on open, antialiasing, the language and the panel left alone.
    std::string expected = kFixedEntries;
    for (const char* mark : {"4002o", "4070o", "4021o"}) expected[expected.find(mark) + 4] = '+';
    EXPECT_EQ(Layout(viewer.menus, &viewer.bar), expected);
    EXPECT_EQ(viewer.graphics.opaqueRasterDesc, (RasterDesc{FillMode::Solid, CullMode::None, true, true, true}));
    EXPECT_EQ(viewer.graphics.transparentRasterDesc, (RasterDesc{FillMode::Solid, CullMode::Back, true, false, true}));
    EXPECT_EQ(std::tuple(view.autoTurnSpeed, view.autoTurnDrag, view.lightSpinSpeed, view.transparencyLevel),
              std::tuple(0.0f, false, 0.0f, 0.4f));
    const SceneModel& scene = viewer.scene;
    EXPECT_TRUE(scene.objectNames.empty() && scene.objectVisible.empty() && scene.objectTransparent.empty());
    EXPECT_EQ(scene.kindCount, (std::array<int32_t, kObjectKindCount>{}));
    EXPECT_EQ(std::tuple(scene.nextObjectMenuId, scene.nextTransparencyMenuId, scene.boundsMin[1], scene.boundsMax[2]),
              std::tuple(5000, 10000, 999999995904.0f, -999999995904.0f));
    EXPECT_EQ(viewer.panel->Table()->model()->rowCount(), 0);
    EXPECT_EQ(kept(view), before);
    EXPECT_EQ(view.backgroundColor[0], 1.0f) << "red, from the dialog";
    EXPECT_EQ(std::tuple(viewer.openDialogs, viewer.messages.size()), std::tuple(3u, 1u)) << "the language's notice";
    // The next load numbers its objects from the start again.
    viewer.Open(kCommandNew, Write("example.KDX", kExampleScene));
    EXPECT_EQ(Layout(viewer.menus, viewer.menus.objectsMenu), "[5000+] [] [] [5002+] [] []");
}

TEST_F(MenuCommands, AFileThatCannotBeReadShowsTheSpanishReadErrorInBothLanguages) {
    enum Answer { kBadFile, kMissing, kCancel };
    const std::tuple<uint32_t, int32_t, Answer> cases[] = {
        {1, kCommandNew, kBadFile},     {2, kCommandNew, kMissing},     {2, kCommandNew, kCancel},
        {2, kCommandOpenAdd, kBadFile}, {1, kCommandOpenAdd, kMissing}, {1, kCommandOpenAdd, kCancel}};
    for (const auto& [language, command, answer] : cases) {
        SCOPED_TRACE(::testing::Message() << language << " " << command << " " << answer);
        Viewer viewer(language);
        viewer.Open(kCommandOpenAdd, Write("example.KDX", kExampleScene));
        if (answer == kBadFile) viewer.paths.push_back(Write("bad.KDX", kNotAScene));
        if (answer == kMissing) viewer.paths.push_back("/nonexistent.KDX");
        viewer.Choose(command);
        EXPECT_EQ(viewer.openDialogs, 2u);
        EXPECT_EQ(viewer.messages, answer == kCancel ? std::vector<Message>{} : kReadError);
        // Open (Add) leaves the objects and their entries as they were; New has emptied them.
        EXPECT_EQ(Layout(viewer.menus, viewer.menus.objectsMenu) + Marks(viewer),
                  command == kCommandNew ? "[] [] [] [] [] []" : "[5000+] [] [] [5002+] [] []xo x- ");
    }
}

TEST_F(MenuObjectEntries, EachLoadOrDropAddsEntriesWhereTheyBelongAndTheySwitchTheirObject) {
    const std::vector<std::string> files = {Write("example.KDX", kExampleScene), Write("bad.KDX", kNotAScene),
                                            Write("blocks.KDX", kBlocks), Write("example2.KDX", kExampleScene)};
    Viewer viewer(2);
    viewer.paths = files;
    for (int i = 0; i < 4; ++i) viewer.Choose(kCommandOpenAdd);
    EXPECT_EQ(viewer.messages, kReadError);
    EXPECT_EQ(Layout(viewer.menus, viewer.menus.objectsMenu), kObjectsAfterFourLoads);
    EXPECT_EQ(Layout(viewer.menus, viewer.menus.transparentSubmenu), "10000o 10004o 10006o");
    EXPECT_EQ(std::tuple(viewer.scene.nextObjectMenuId, viewer.scene.nextTransparencyMenuId), std::tuple(5010, 10010));
    const std::pair<int32_t, const char*> steps[] = {
        {5002, "xo o- xo xo x- "}, {10004, "xo o- xx xo x- "}, {5000, "oo o- xx xo x- "},
        {5002, "oo x- xx xo x- "}, {10006, "oo x- xx xx x- "}, {10004, "oo x- xo xx x- "}};
    for (const auto& [choice, marks] : steps) {
        viewer.Choose(choice);
        EXPECT_EQ(Marks(viewer), marks) << choice;
    }
    // The identifiers work without the menus too, and the check marks follow.
    DispatchCommand(viewer.ctx, 10000);
    DispatchCommand(viewer.ctx, 5008);
    EXPECT_EQ(Marks(viewer), "ox x- xo xx o- ");

    // The files dropped on the window, with a web address among them, load as Open
    // (Add) loads them, once the drop is over.
    Viewer dropped(2);
    QWidget window;
    new SceneFileDropTarget(&window, dropped.ctx);
    QMimeData local, remote;
    QList<QUrl> urls;
    for (const std::string& file : files) urls.append(QUrl::fromLocalFile(QString::fromStdString(file)));
    urls.insert(1, QUrl("https://talan3d.example.org/pit.KDX"));
    local.setUrls(urls);
    remote.setUrls({QUrl("https://talan3d.example.org/pit.KDX"), QUrl("sftp://host/pit.KDX")});
    const auto accepted = [&](const QMimeData& data) {
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&window, &enter);
        return enter.isAccepted();
    };
    EXPECT_FALSE(accepted(remote));
    dropped.shell.loading = true;
    EXPECT_FALSE(accepted(local)) << "no drop while a file is being read";
    dropped.shell.loading = false;
    ASSERT_TRUE(accepted(local));
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &local, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &drop);
    EXPECT_TRUE(drop.isAccepted());
    // A load still in progress when they are due (its progress window lets events
    // through) makes them wait for its end.
    dropped.shell.loading = true;
    QApplication::processEvents();
    EXPECT_TRUE(dropped.scene.objectNames.empty());
    dropped.shell.loading = false;
    QElapsedTimer waited;
    waited.start();
    while (dropped.scene.objectNames.size() < 5 && waited.elapsed() < 5000) QApplication::processEvents();
    EXPECT_EQ(std::tuple(Layout(dropped.menus, dropped.menus.objectsMenu), dropped.openDialogs, dropped.messages),
              std::tuple(kObjectsAfterFourLoads, 0u, kReadError));
}

TEST_F(MenuObjectEntries, PastTwoAndAHalfThousandObjectsEachEntrySwitchesItsOwnObject) {
    // From object 2,500 on, 5000 + 2k is also the identifier of a Transparent entry.
    constexpr int32_t kObjects = 2600;
    std::string text = "\"Tavrin\"\n", expected;
    for (int32_t k = 0; k < kObjects; ++k) {
        text += TagLine("T3", 1) + "1,0,0,\no" + std::to_string(k) + ",\n0,0,0,1,0,0,0,1,0,\n";
        expected += "xo ";
    }
    Viewer viewer(2);
    viewer.Open(kCommandOpenAdd, Write("many.KDX", text));
    for (const int32_t k : {0, 2500, 2501, kObjects - 1}) {
        EXPECT_EQ(ObjectEntry(viewer.menus, ObjectFlag::Visible, k)->text().toStdString(), "o" + std::to_string(k));
        ObjectEntry(viewer.menus, ObjectFlag::Transparent, k)->trigger();
        ObjectEntry(viewer.menus, ObjectFlag::Visible, k)->trigger();
        expected.replace(3 * k, 2, "ox");
    }
    DispatchCommand(viewer.ctx, 10000);  // from 10000 on Transparent entries, below visibility
    DispatchCommand(viewer.ctx, 9998);
    expected.replace(0, 2, "oo");
    expected.replace(3 * 2499, 2, "oo");
    EXPECT_EQ(Marks(viewer), expected);
    for (QMenu* menu : {viewer.menus.kindSubmenu[0], viewer.menus.transparentSubmenu}) {
        emit menu->aboutToShow();
        EXPECT_EQ(menu->actions().size(), kObjects);
    }
    viewer.Choose(kCommandNew);  // and cancel the dialog
    EXPECT_EQ(Layout(viewer.menus, viewer.menus.objectsMenu) + Layout(viewer.menus, viewer.menus.transparentSubmenu),
              "[] [] [] [] [] []");
    EXPECT_TRUE(viewer.menus.objectEntries.empty() && viewer.menus.transparencyEntries.empty());
}

TEST_F(MenuObjectEntries, NamesAreShownAsWrittenInTheirKindsSubmenu) {
    Viewer viewer(1);
    viewer.Open(kCommandOpenAdd, Write("names.KDX", "\"Tavrin\"\n" + TagLine("T3", 1) +
                                                        "1,0,0,\nA&B,\n0,0,0,1,0,0,0,1,0,\n" + TagLine("SUP", 1) +
                                                        "0,\nA\xF1o & co,\n0,0,0,1,1,1\n" +  // Windows-1252
                                                        TagLine("PTS", 1) + "255,\nCaf\xC3\xA9,\nx\n1,2,3\n" +  // UTF-8
                                                        TagLine("SONKDX", 1) + "DDH-1,\nx\n0,0,0,0,0,-10,255\n"));
    std::vector<std::string> texts;  // "&&" shows one '&'; a single one would mark a shortcut
    for (const QAction* entry : viewer.menus.objectEntries) texts.push_back(entry->text().toStdString());
    texts.push_back(ObjectEntry(viewer.menus, ObjectFlag::Transparent, 0)->text().toStdString());
    EXPECT_EQ(texts, (std::vector<std::string>{"A&&B", "Año && co", "Café", "DDH-1", "A&&B"}));
    EXPECT_EQ(Layout(viewer.menus, viewer.menus.objectsMenu), "[5000+] [] [5002+] [] [5004+] [5006+]");
}

TEST_F(MenuObjectEntries, ALoadShowsOneProgressWindowAfterAFifthOfASecondAndLoadsTheSame) {
    std::string many = "\"Tavrin\"\n";  // thousands of sections, each of which retitles the window
    for (int32_t k = 0; k < 3000; ++k) {
        many += k % 3 == 0 ? TagLine("T3", 1) + "1,0,0,\nt" + std::to_string(k) + ",\n0,0,0,1,0,0,0,1,0,\n"
                           : TagLine("SONKDX", 1) + "DDH-" + std::to_string(k) + ",\nx\n0,0,0,0,0,-10,255\n";
    }
    struct WindowsShown : QObject {
        int count = 0;
        bool eventFilter(QObject* object, QEvent* event) override {
            count += event->type() == QEvent::Show && object->isWidgetType() && static_cast<QWidget*>(object)->isWindow();
            return false;
        }
    } windows;
    Viewer shown(2), silent(2);
    shown.ctx.showProgress = true;
    shown.ctx.progressShowDelayMs = 0;
    QApplication::instance()->installEventFilter(&windows);
    for (Viewer* viewer : {&shown, &silent}) {
        viewer->paths = {Write("example.KDX", kExampleScene), Write("many.KDX", many), Write("blocks.KDX", kBlocks)};
        for (const int32_t command : {kCommandNew, kCommandOpenAdd, kCommandOpenAdd}) viewer->Choose(command);
    }
    QApplication::instance()->removeEventFilter(&windows);
    EXPECT_EQ(windows.count, 3) << "one window per load";
    EXPECT_EQ(shown.scene.objectNames.size(), 3003u);
    const auto results = [](const Viewer& v) {
        return std::tuple(Layout(v.menus, &v.bar), v.scene.objectNames, v.scene.firstVertex, Marks(v));
    };
    EXPECT_EQ(results(shown), results(silent));
    for (const QWidget* widget : QApplication::topLevelWidgets()) EXPECT_FALSE(widget->isVisible());

    ProgressBar bar;  // the load's clock starts here
    bar.Show("Pit", 800, 600);
    EXPECT_FALSE(bar.IsShown());
    std::this_thread::sleep_for(std::chrono::milliseconds(210));
    bar.SetPosition(40);
    EXPECT_TRUE(bar.IsShown());
    // Centred on the drawing area; one narrower or lower than the bar would put it out of sight.
    const QRect big(0, 0, 2560, 1440), panelAbove(0, 27, 1920, 1053), leftOfFirst(-1280, 100, 1280, 1024);
    EXPECT_EQ(ProgressBarPosition(1000, 700, big), QPoint(325, 325));
    EXPECT_EQ(ProgressBarPosition(801, 601, panelAbove), QPoint(225, 275));  // halves are rounded down
    for (const auto& [width, height, screen] : {std::tuple(349u, 700u, big), std::tuple(100u, 10u, leftOfFirst),
                                                std::tuple(0xFFFFFFFFu, 0xFFFFFFFFu, big)}) {
        const QPoint at = ProgressBarPosition(width, height, screen);
        EXPECT_TRUE(screen.contains(QRect(at, QSize(kProgressWidth, kProgressHeight)))) << at.x() << "," << at.y();
    }
}

// A key pressed and released over `widget`; text typed as the keyboard sends it.
void Key(QWidget* widget, int key, const QString& text = {}) {
    for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
        QKeyEvent event(type, key, Qt::NoModifier, text);
        QApplication::sendEvent(widget, &event);
    }
}
void Type(QWidget* widget, const std::string& text) {
    for (const char c : text) Key(widget, QChar(c).toUpper().unicode(), QString(QChar(c)));
}

// The rows as shown, "name kind elements;" each.
std::string Rows(const ObjectsPanel& panel) {
    const QAbstractItemModel& model = *panel.Table()->model();
    std::string rows;
    for (int row = 0; row < model.rowCount(); ++row) {
        for (int column = 0; column < 3; ++column) {
            rows += model.data(model.index(row, column)).toString().toStdString() + (column < 2 ? " " : "; ");
        }
    }
    return rows;
}

TEST_F(ObjectsPanelTest, ListsTheObjectsNarrowsAsOneTypesAndSwitchesThemAsTheMenusDo) {
    Viewer viewer(2);
    viewer.paths = {Write("example.KDX", kExampleScene), Write("blocks.KDX", kBlocks), Write("holes.KDX", kHoles)};
    for (int i = 0; i < 3; ++i) viewer.Choose(kCommandOpenAdd);
    const std::string holes = "DDH-3172 D.Holes 1; DDH-0031 D.Holes 1; DDH-3100 D.Holes 1; ";
    EXPECT_EQ(Rows(*viewer.panel), "Pit floor T3 2; Ramp Lines 1; Bloques Blocks 2; " + holes);
    // By name whatever the case, by kind as the menus call it, by the kind's tag in the file.
    QLineEdit* filter = viewer.panel->FilterField();
    for (const auto& [typed, rows] : {std::pair("ddh-31", "DDH-3172 D.Holes 1; DDH-3100 D.Holes 1; "),
                                      std::pair("lines", "Ramp Lines 1; "), std::pair("sonkdx", holes.c_str()),
                                      std::pair("nothing", "")}) {
        while (!filter->text().isEmpty()) Key(filter, Qt::Key_Backspace);
        Type(filter, typed);
        EXPECT_EQ(Rows(*viewer.panel), rows) << typed;
    }
    filter->clear();
    Type(filter, "3172");
    Key(filter, Qt::Key_Down);  // from the field to the list, on its first row
    EXPECT_EQ(viewer.panel->Table()->currentIndex().row(), 0);
    filter->clear();

    // Hidden at first; the View entry, F9, shows it and the close box hides it.
    QTableView* table = viewer.panel->Table();
    QAbstractItemModel& model = *table->model();
    EXPECT_TRUE(viewer.panel->isHidden());
    EXPECT_EQ(viewer.menus.actions.at(kCommandObjectsPanel)->shortcut(), QKeySequence(Qt::Key_F9));
    viewer.Choose(kCommandObjectsPanel);
    EXPECT_FALSE(viewer.panel->isHidden());
    // A check box clicked is the object's command; a menu entry chosen shows in the panel.
    model.setData(model.index(1, 0), Qt::Unchecked, Qt::CheckStateRole);
    viewer.Choose(10004);
    EXPECT_EQ(Marks(viewer), "xo o- xx x- x- x- ");
    // Space switches every selected row to the opposite of the current one.
    const auto space = [&](std::initializer_list<int> rows, int currentRow, int currentColumn) {
        table->selectionModel()->clearSelection();
        for (const int row : rows) {
            table->selectionModel()->select(model.index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
        table->selectionModel()->setCurrentIndex(model.index(currentRow, currentColumn), QItemSelectionModel::NoUpdate);
        Key(table, Qt::Key_Space, QStringLiteral(" "));
        return Marks(viewer);
    };
    EXPECT_EQ(space({0, 1, 3}, 1, 0), "xo x- xx x- x- x- ");
    EXPECT_EQ(space({0, 1, 3}, 1, 0), "oo o- xx o- x- x- ");
    EXPECT_EQ(space({0, 1, 2, 3, 4, 5}, 0, 3), "ox o- xx o- x- x- ");  // in the Transparent column, where there is one
    viewer.panel->close();
    EXPECT_EQ(std::tuple(viewer.panel->isHidden(), viewer.Checked(kCommandObjectsPanel)), std::tuple(true, false));
    viewer.Choose(kCommandNew);  // and cancel the dialog
    EXPECT_EQ(model.rowCount(), 0);

    Viewer spanish(1);
    spanish.Open(kCommandOpenAdd, Write("holes.KDX", kHoles));
    std::string headers = spanish.panel->windowTitle().toStdString() + ":";
    for (int column = 0; column < 4; ++column) {
        headers += " " + spanish.panel->Table()->model()->headerData(column, Qt::Horizontal).toString().toStdString();
    }
    EXPECT_EQ(headers, "Objetos: Nombre Tipo Elementos Transparente");
    Type(spanish.panel->FilterField(), "sondeos");
    EXPECT_EQ(Rows(*spanish.panel), "DDH-3172 Sondeos 1; DDH-0031 Sondeos 1; DDH-3100 Sondeos 1; ");
}

}  // namespace
}  // namespace talan
