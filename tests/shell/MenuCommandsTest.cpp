// The menu bar in both languages and every command chosen through it as a user
// would, with the modal dialogs answered by the test and what they showed recorded.
#include <gtest/gtest.h>

#include <unistd.h>

#include <array>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// The shell's headers bring the GL declarations; Qt's must come after them.
#include "QtTestApplication.h"
#include "TestHelpers.h"
#include "shell/SlabsAndPicks.h"
#include "shell/Commands.h"
#include "shell/ObjectsPanel.h"
#include "shell/ProgressBar.h"
#include "shell/SceneFileDrop.h"

#include <QAction>
#include <QApplication>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QTableView>
#include <QUrl>

namespace talan {
namespace {

namespace fs = std::filesystem;
using testing::kExampleScene;
using testing::TagLine;

using QtTest = testing::QtApplicationTest;

// Answers the dialogs from queues and records every box shown.
class RecordingDialogs : public Dialogs {
public:
    struct Message {
        std::string text, caption;
        bool operator==(const Message&) const = default;
    };
    std::deque<std::string> paths;                 // the open dialog's answers; none left: cancelled
    std::deque<std::optional<uint32_t>> colours;   // the colour dialog's answers; nothing: cancelled
    int openDialogs = 0;
    std::vector<std::array<uint32_t, 16>> customColoursSeen;
    std::vector<Message> messages;
    std::vector<uint32_t> aboutLanguages;

    std::optional<std::string> OpenSceneFile(QWidget*) override {
        ++openDialogs;
        if (paths.empty()) return std::nullopt;
        std::string path = paths.front();
        paths.pop_front();
        return path;
    }
    std::optional<uint32_t> ChooseColour(QWidget*, std::array<uint32_t, 16>& customColours) override {
        customColoursSeen.push_back(customColours);
        customColours[0] = 0x00123456;  // the user makes a custom colour
        std::optional<uint32_t> answer = colours.empty() ? std::nullopt : colours.front();
        if (!colours.empty()) colours.pop_front();
        return answer;
    }
    void ShowMessage(const std::string& text, const std::string& caption) override {
        messages.push_back({text, caption});
    }
    void ShowAbout(QWidget*, uint32_t language) override { aboutLanguages.push_back(language); }
};

// The viewer's records and menu bar without a window or a drawing context: the
// upload fails as the real one does when there is no vertex.
struct Viewer {
    explicit Viewer(uint32_t language) {
        shell.language = language;
        shell.clientWidth = 800;
        shell.clientHeight = 600;
        ctx.upload = [this] {
            ++uploads;
            if (scene.totalVertexCount > 0) uploadedNormal0 = Normal(0);
            return scene.totalVertexCount > 0 ? kStatusOk : kStatusInvalidArg;
        };
        ctx.closeWindow = [this] { ++closes; };
        ctx.endDrags = [this] { ++dragEnds; };
        ctx.showProgress = false;
        panel = std::make_unique<ObjectsPanel>(ctx);  // in the language of the menus
        ctx.objectsPanel = panel.get();
        BuildMenus(ctx, &bar);
    }

    // Chooses the entry of `id` (an object's entry by the identifier --info reports)
    // in the menus, as a click does.
    void Choose(int32_t id) {
        const Command command = CommandOfIdentifier(id);
        QAction* entry = command.object >= 0 ? ObjectEntry(menus, command.flag, command.object)
                         : menus.actions.count(id) ? menus.actions.at(id)
                                                   : nullptr;
        ASSERT_NE(entry, nullptr) << id;
        entry->trigger();
    }
    bool Checked(int32_t id) const { return menus.actions.count(id) != 0 && menus.actions.at(id)->isChecked(); }
    std::array<float, 3> Normal(size_t vertex) const {
        const SceneVertex v = VertexAt(scene, static_cast<int32_t>(vertex));
        return {v.normal[0], v.normal[1], v.normal[2]};
    }

    ShellState shell;
    ViewState view;
    SceneModel scene;
    GraphicsState graphics;
    MenuHandles menus;
    RecordingDialogs dialogs;
    QMenuBar bar;
    ShellContext ctx{.shell = shell, .view = view, .scene = scene, .graphics = graphics, .dialogs = dialogs, .menus = &menus};
    std::unique_ptr<ObjectsPanel> panel;
    int uploads = 0, closes = 0, dragEnds = 0;
    std::array<float, 3> uploadedNormal0{};
};

// The text as a menu shows it: "&&" is one '&', a single '&' only marks a shortcut.
std::string Shown(const QString& text) {
    QString shown;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size()) ++i;
        shown += text[i];
    }
    return shown.toStdString();
}

// The identifier --info reports for an entry: a fixed command's own, or 5000 + 2k
// and 10000 + 2k for the entries of object k.
int32_t IdentifierOf(const MenuHandles& menus, const QAction* action) {
    for (size_t k = 0; k < menus.objectEntries.size(); ++k) {
        if (menus.objectEntries[k] == action) return kFirstObjectMenuId + 2 * static_cast<int32_t>(k);
        if (menus.transparencyEntries[k] == action) return kFirstTransparencyMenuId + 2 * static_cast<int32_t>(k);
    }
    return action->data().toInt();
}

// A menu's entries once it is open: the entries of objects join their submenu when
// it opens.
QList<QAction*> Opened(const QWidget* menuOrBar) {
    if (auto* menu = qobject_cast<QMenu*>(const_cast<QWidget*>(menuOrBar))) emit menu->aboutToShow();
    return menuOrBar->actions();
}

// One line per entry as the user sees it, submenus indented below their entry:
// "Text >" opens a submenu, "Text #id" is a command with its identifier, followed
// by "[x]" or "[ ]" when it carries a check mark, and "---" is a separator.
void Describe(const MenuHandles& menus, const QList<QAction*>& actions, const std::string& indent,
              std::vector<std::string>& lines) {
    for (const QAction* action : actions) {
        if (action->isSeparator()) {
            lines.push_back(indent + "---");
        } else if (const QMenu* submenu = QMenu::menuInAction(action)) {
            EXPECT_EQ(submenu->title(), action->text());
            lines.push_back(indent + Shown(action->text()) + " >");
            Describe(menus, Opened(submenu), indent + "  ", lines);
        } else {
            std::string line = indent + Shown(action->text()) + " #" + std::to_string(IdentifierOf(menus, action));
            if (action->isCheckable()) line += action->isChecked() ? " [x]" : " [ ]";
            lines.push_back(line);
        }
    }
}

std::vector<std::string> Describe(const MenuHandles& menus, const QWidget* menuOrBar) {
    std::vector<std::string> lines;
    Describe(menus, Opened(menuOrBar), "", lines);
    return lines;
}

// Scene files of one test, in a directory named after it.
class SceneFiles {
public:
    SceneFiles() {
        dir_ = fs::path(::testing::TempDir()) /
               ("menus_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "_" +
                std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    ~SceneFiles() { fs::remove_all(dir_); }
    std::string Write(const std::string& name, std::string_view text) const {
        const fs::path path = dir_ / name;
        std::ofstream(path, std::ios::binary) << text;
        return path.string();
    }
    std::string Missing() const { return (dir_ / "missing.KDX").string(); }

private:
    fs::path dir_;
};

// Two triangles sharing an edge, one flat and one upright: smoothing turns the
// normal of their shared corners (vertex 0 among them) into the mean (0.5, 0.5, 0).
std::string Fold(const std::string& name) {
    return "\"Tavrin\"\n" + TagLine("T3", 2) + "1,0,0,\n" + name + ",\n0,0,0,0,1,0,1,0,0,\n0,0,0,0,0,1,0,1,0,\n";
}
constexpr std::array<float, 3> kFlatNormal{0, 1, 0}, kSmoothedNormal{0.5f, 0.5f, 0};

// Two blocks; the block model's entries carry its fixed name.
std::string Blocks() { return "\"Tavrin\"\n" + TagLine("BLKKDX", 2) + "10,10,5,\nx\nx\n0,0,0,255,\n20,0,0,65280,\n"; }

constexpr char kNotASceneFile[] = "Tavrim  T3      1,\n1,0,0,\nlooks like one,\n0,0,0,1,0,0,0,1,0,\n";

const std::vector<std::string> kEnglishMenuBar = {
    "File >",
    "  New #4000",
    "  Open (Add) #4001",
    "  Smooth T3 wend open #4002 [ ]",
    "  ---",
    "  End #16",
    "Objects >",
    "  T3 >",
    "  Blocks >",
    "  Surfaces >",
    "  Lines >",
    "  Points >",
    "  D.Holes >",
    "View >",
    "  Smooth T3 actives #4014",
    "  Transparent >",
    "  ---",
    "  Sólid face #4010 [x]",
    "  ---",
    "  Mode auto-turn #4060 [ ]",
    "  ---",
    "  Front face #4012 [x]",
    "  Back face #4013 [x]",
    "  ---",
    "  Objects panel #4070 [ ]",
    "  ---",
    "  Section >",
    "    Across X #4100 [ ]",
    "    Across Y #4101 [ ]",
    "    Across Z #4102 [ ]",
    "    ---",
    "    Forward #4103",
    "    Back #4104",
    "    Thicker #4105",
    "    Thinner #4106",
    "    Remove #4107",
    "    ---",
    "    Look along #4108",
    "  Measure #4110 [ ]",
    "  Copy the result #4111",
    "Setup >",
    "  Back color #4020",
    "  Language >",
    "    Spanish #4022 [ ]",
    "    English #4023 [x]",
    "  Antialiased #4021 [ ]",
    "? >",
    "  Help #4030",
    "  About... #4031",
};

const std::vector<std::string> kSpanishMenuBar = {
    "Archivo >",
    "  Nuevo #4000",
    "  Abrir (Añadir) #4001",
    "  Suavizar T3 al abrir #4002 [ ]",
    "  ---",
    "  Salir #16",
    "Objetos >",
    "  T3 >",
    "  Bloques >",
    "  Superficies >",
    "  Líneas >",
    "  Puntos >",
    "  Sondeos >",
    "Ver >",
    "  Suavizar T3 activos #4014",
    "  Transparente >",
    "  ---",
    "  Cara Sólida #4010 [x]",
    "  ---",
    "  Modo autogiro #4060 [ ]",
    "  ---",
    "  Cara Delantera #4012 [x]",
    "  Cara Trasera #4013 [x]",
    "  ---",
    "  Panel de objetos #4070 [ ]",
    "  ---",
    "  Sección >",
    "    Según X #4100 [ ]",
    "    Según Y #4101 [ ]",
    "    Según Z #4102 [ ]",
    "    ---",
    "    Avanzar #4103",
    "    Retroceder #4104",
    "    Más gruesa #4105",
    "    Más fina #4106",
    "    Quitar #4107",
    "    ---",
    "    Mirar a lo largo #4108",
    "  Medir #4110 [ ]",
    "  Copiar el resultado #4111",
    "Configuración >",
    "  Color del Fondo #4020",
    "  Idioma >",
    "    Español #4022 [x]",
    "    Ingles #4023 [ ]",
    "  Antialiased #4021 [ ]",
    "? >",
    "  Ayuda #4030",
    "  Acerca de... #4031",
};

const std::vector<int32_t> kFixedCommands = {16,   4000, 4001, 4002, 4010, 4012, 4013, 4014, 4020,
                                             4021, 4022, 4023, 4030, 4031, 4060, 4070, 4100, 4101,
                                             4102, 4103, 4104, 4105, 4106, 4107, 4108, 4110, 4111};

// ---------------------------------------------------------------------------------

class MenuBar : public QtTest {};

TEST_F(MenuBar, EntriesTextsIdentifiersAndCheckMarksByLanguage) {
    struct Case {
        uint32_t language;
        const std::vector<std::string>& expected;
    };
    const Case cases[] = {{1, kSpanishMenuBar}, {2, kEnglishMenuBar}, {3, kEnglishMenuBar}, {0, kEnglishMenuBar}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.language);
        Viewer viewer(c.language);
        EXPECT_EQ(Describe(viewer.menus, &viewer.bar), c.expected);
        // Every command entry is known by its identifier, and only those.
        std::vector<int32_t> ids;
        for (const auto& [id, action] : viewer.menus.actions) {
            ids.push_back(id);
            EXPECT_EQ(action->data().toInt(), id);
        }
        EXPECT_EQ(ids, kFixedCommands);
    }
}

TEST_F(MenuBar, HandlesNameTheirMenus) {
    Viewer viewer(2);
    const MenuHandles& m = viewer.menus;
    EXPECT_EQ(m.menuBar, &viewer.bar);
    struct Case {
        const QMenu* menu;
        const char* title;
    };
    const Case cases[] = {
        {m.fileMenu, "File"},
        {m.objectsMenu, "Objects"},
        {m.kindSubmenu[static_cast<size_t>(ObjectKind::T3)], "T3"},
        {m.kindSubmenu[static_cast<size_t>(ObjectKind::LIN)], "Lines"},
        {m.kindSubmenu[static_cast<size_t>(ObjectKind::SUP)], "Surfaces"},
        {m.kindSubmenu[static_cast<size_t>(ObjectKind::BLKKDX)], "Blocks"},
        {m.kindSubmenu[static_cast<size_t>(ObjectKind::PTS)], "Points"},
        {m.kindSubmenu[static_cast<size_t>(ObjectKind::SONKDX)], "D.Holes"},
        {m.viewMenu, "View"},
        {m.transparentSubmenu, "Transparent"},
        {m.setupMenu, "Setup"},
        {m.languageMenu, "Language"},
        {m.helpMenu, "?"},
    };
    for (const Case& c : cases) {
        ASSERT_NE(c.menu, nullptr) << c.title;
        EXPECT_EQ(c.menu->title().toStdString(), c.title);
    }
}

// ---------------------------------------------------------------------------------

class MenuCommands : public QtTest {};

TEST_F(MenuCommands, SmoothOnOpenSwitchesAndTheNextLoadFollowsIt) {
    SceneFiles files;
    Viewer viewer(2);
    struct Step {
        bool smoothOnOpen;
        std::array<float, 3> normalOfLoadedObject;
    };
    const Step steps[] = {{true, kSmoothedNormal}, {false, kFlatNormal}, {true, kSmoothedNormal}};
    for (size_t i = 0; i < std::size(steps); ++i) {
        SCOPED_TRACE(i);
        viewer.Choose(kCommandSmoothOnOpen);
        EXPECT_EQ(viewer.shell.smoothOnOpen, steps[i].smoothOnOpen);
        EXPECT_EQ(viewer.Checked(kCommandSmoothOnOpen), steps[i].smoothOnOpen);
        viewer.dialogs.paths.push_back(files.Write("fold" + std::to_string(i) + ".KDX", Fold("fold")));
        viewer.Choose(kCommandNew);
        EXPECT_EQ(viewer.Normal(0), steps[i].normalOfLoadedObject);
    }
    EXPECT_TRUE(viewer.dialogs.messages.empty());
}

TEST_F(MenuCommands, SolidFaceAndAntialiasedSwitchBothRasterDescriptions) {
    Viewer viewer(2);
    GraphicsState& g = viewer.graphics;
    struct Step {
        int32_t command;
        FillMode fill;
        bool antialiased, solidChecked, antialiasedChecked;
    };
    const Step steps[] = {
        {kCommandSolidFace, FillMode::Wireframe, false, false, false},
        {kCommandAntialiased, FillMode::Wireframe, true, false, true},
        {kCommandSolidFace, FillMode::Solid, true, true, true},
        {kCommandAntialiased, FillMode::Solid, false, true, false},
    };
    for (const Step& s : steps) {
        viewer.Choose(s.command);
        EXPECT_EQ(g.opaqueRasterDesc.fillMode, s.fill);
        EXPECT_EQ(g.transparentRasterDesc.fillMode, s.fill);
        EXPECT_EQ(g.opaqueRasterDesc.antialiasedLineEnable, s.antialiased);
        EXPECT_EQ(g.transparentRasterDesc.antialiasedLineEnable, s.antialiased);
        EXPECT_EQ(viewer.Checked(kCommandSolidFace), s.solidChecked);
        EXPECT_EQ(viewer.Checked(kCommandAntialiased), s.antialiasedChecked);
        // Neither changes how faces are culled.
        EXPECT_EQ(g.opaqueRasterDesc.cullMode, CullMode::None);
        EXPECT_EQ(g.transparentRasterDesc.cullMode, CullMode::Back);
    }
}

TEST_F(MenuCommands, FaceEntriesNeverBothUncheckedAndTheOpaqueCullModeFollows) {
    constexpr int32_t F = kCommandFrontFace, B = kCommandBackFace;
    struct Case {
        std::vector<int32_t> choices;
        bool front, back;
        CullMode cull;
    };
    const Case cases[] = {
        {{}, true, true, CullMode::None},
        {{F}, false, true, CullMode::Back},
        {{B}, true, false, CullMode::Front},
        {{F, F}, true, true, CullMode::None},
        {{B, B}, true, true, CullMode::None},
        {{F, B}, true, false, CullMode::Front},  // unchecking the only checked entry checks the other
        {{B, F}, false, true, CullMode::Back},
        {{F, B, B}, true, true, CullMode::None},
        {{F, B, F}, false, true, CullMode::Back},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.choices));
        Viewer viewer(1);
        for (int32_t id : c.choices) {
            viewer.Choose(id);
            EXPECT_TRUE(viewer.Checked(F) || viewer.Checked(B));
        }
        EXPECT_EQ(viewer.Checked(F), c.front);
        EXPECT_EQ(viewer.Checked(B), c.back);
        EXPECT_EQ(viewer.graphics.opaqueRasterDesc.cullMode, c.cull);
        EXPECT_EQ(viewer.graphics.transparentRasterDesc.cullMode, CullMode::Back);
    }
}

TEST_F(MenuCommands, LanguageChangesTheValueAndCheckMarksAndAsksForARestart) {
    const RecordingDialogs::Message toSpanish{"Para actualizar el idioma hay que reiniciar el programa.", "Aviso"};
    const RecordingDialogs::Message toEnglish{"To update the language you have to restart the program.", "Notice"};
    struct Case {
        uint32_t language;
        std::vector<int32_t> choices;
        uint32_t after;
        bool spanishChecked, englishChecked;
        std::vector<RecordingDialogs::Message> messages;
    };
    const Case cases[] = {
        {1, {kCommandEnglish}, 2, false, true, {toEnglish}},
        {2, {kCommandSpanish}, 1, true, false, {toSpanish}},
        {1, {kCommandSpanish}, 1, true, false, {}},  // already active: nothing at all
        {2, {kCommandEnglish}, 2, false, true, {}},
        {3, {kCommandSpanish}, 3, false, true, {}},  // only 2 switches to Spanish
        {3, {kCommandEnglish}, 3, false, true, {}},  // only 1 switches to English
        {1, {kCommandEnglish, kCommandEnglish, kCommandSpanish}, 1, true, false, {toEnglish, toSpanish}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.language << " " << ::testing::PrintToString(c.choices));
        Viewer viewer(c.language);
        const std::vector<std::string> menusBefore = Describe(viewer.menus, viewer.menus.fileMenu);
        for (int32_t id : c.choices) viewer.Choose(id);
        EXPECT_EQ(viewer.shell.language, c.after);
        EXPECT_EQ(viewer.Checked(kCommandSpanish), c.spanishChecked);
        EXPECT_EQ(viewer.Checked(kCommandEnglish), c.englishChecked);
        EXPECT_EQ(viewer.dialogs.messages, c.messages);
        // The menu texts wait for the next start.
        EXPECT_EQ(Describe(viewer.menus, viewer.menus.fileMenu), menusBefore);
    }
}

TEST_F(MenuCommands, HelpAndAboutFollowTheCurrentLanguage) {
    // The help text's first line and its caption tell the language; it ends with the
    // keys of the window.
    struct Help {
        const char* firstLine;
        const char* keys;
        const char* caption;
    };
    const Help spanish{"Boton pulsado:\n - Izquierdo = giramos los objetos \n", "\nTeclas:\n - X, Y, Z = corte", "Ayuda"};
    const Help english{"Button down:\n - Left = turn the objects \n", "\nKeys:\n - X, Y, Z = section", "Help"};
    struct Case {
        uint32_t language;
        int32_t switchFirst;  // a language command chosen before, or 0
        const Help& help;
        uint32_t aboutLanguage;
    };
    const Case cases[] = {
        {1, 0, spanish, 1},
        {2, 0, english, 2},
        {3, 0, english, 3},
        {1, kCommandEnglish, english, 2},
        {2, kCommandSpanish, spanish, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.language << " " << c.switchFirst);
        Viewer viewer(c.language);
        if (c.switchFirst != 0) viewer.Choose(c.switchFirst);
        viewer.dialogs.messages.clear();
        viewer.Choose(kCommandHelp);
        viewer.Choose(kCommandAbout);
        ASSERT_EQ(viewer.dialogs.messages.size(), 1u);
        const auto& [text, caption] = viewer.dialogs.messages[0];
        EXPECT_EQ(caption, c.help.caption);
        EXPECT_EQ(text.rfind(c.help.firstLine, 0), 0u) << text;
        EXPECT_NE(text.find(c.help.keys), std::string::npos) << text;
        EXPECT_EQ(viewer.dialogs.aboutLanguages, std::vector<uint32_t>{c.aboutLanguage});
    }
}

TEST_F(MenuCommands, AutoTurnStartsAtFiveStopsAtZeroAndEndsDrags) {
    Viewer viewer(2);
    viewer.Choose(kCommandAutoTurn);
    EXPECT_TRUE(viewer.Checked(kCommandAutoTurn));
    EXPECT_EQ(viewer.view.autoTurnSpeed, 5.0f);
    EXPECT_EQ(viewer.dragEnds, 1);
    viewer.view.autoTurnSpeed = -17.0f;  // a drag in auto-turn mode changed the speed
    viewer.Choose(kCommandAutoTurn);
    EXPECT_FALSE(viewer.Checked(kCommandAutoTurn));
    EXPECT_EQ(viewer.view.autoTurnSpeed, 0.0f);
    EXPECT_EQ(viewer.dragEnds, 2);
    viewer.Choose(kCommandAutoTurn);
    EXPECT_EQ(viewer.view.autoTurnSpeed, 5.0f);
}

TEST_F(MenuCommands, BackColourTakesTheChosenBytesAndCancelKeepsTheColour) {
    const std::array<float, 4> before{0.25f, 0.5f, 0.75f, 0.125f};
    struct Case {
        std::optional<uint32_t> chosen;  // 0x00BBGGRR
        std::array<float, 4> expected;
    };
    const Case cases[] = {
        {0x0000FF, {1, 0, 0, 0.125f}},  // pure red: 255 × 0.003921569 is exactly 1 as a float
        {0x00FF00, {0, 1, 0, 0.125f}},
        {0xFF0000, {0, 0, 1, 0.125f}},
        {0x000000, {0, 0, 0, 0.125f}},
        {std::nullopt, before},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.chosen.value_or(0xFFFFFFFF));
        Viewer viewer(1);
        viewer.view.backgroundColor = before;
        viewer.dialogs.colours.push_back(c.chosen);
        viewer.Choose(kCommandBackColour);
        EXPECT_EQ(viewer.view.backgroundColor, c.expected);
    }
    // Mid values are the byte over 255, and the user's custom colours last the run.
    Viewer viewer(1);
    viewer.dialogs.colours = {0x804020, std::nullopt};
    viewer.Choose(kCommandBackColour);
    EXPECT_FLOAT_EQ(viewer.view.backgroundColor[0], 32.0f / 255);
    EXPECT_FLOAT_EQ(viewer.view.backgroundColor[1], 64.0f / 255);
    EXPECT_FLOAT_EQ(viewer.view.backgroundColor[2], 128.0f / 255);
    viewer.Choose(kCommandBackColour);
    ASSERT_EQ(viewer.dialogs.customColoursSeen.size(), 2u);
    EXPECT_EQ(viewer.dialogs.customColoursSeen[0], (std::array<uint32_t, 16>{}));
    EXPECT_EQ(viewer.dialogs.customColoursSeen[1][0], 0x00123456u);
}

TEST_F(MenuCommands, EndClosesTheWindowAndNothingElse) {
    Viewer viewer(1);
    viewer.Choose(kCommandEnd);
    EXPECT_EQ(viewer.closes, 1);
    EXPECT_EQ(viewer.dialogs.openDialogs, 0);
    EXPECT_TRUE(viewer.dialogs.messages.empty());
}

TEST_F(MenuCommands, SmoothActivesSmoothsThenUploadsAndReturnsTheUploadsResult) {
    SceneFiles files;
    Viewer viewer(2);
    // Nothing loaded: the upload of no vertex fails, and that is the result, unshown.
    EXPECT_EQ(DispatchCommand(viewer.ctx, kCommandSmoothActives), kStatusInvalidArg);
    EXPECT_EQ(viewer.uploads, 1);

    viewer.dialogs.paths.push_back(files.Write("fold.KDX", Fold("fold")));
    viewer.Choose(kCommandOpenAdd);
    EXPECT_EQ(viewer.Normal(0), kFlatNormal);
    const int uploadsAfterLoad = viewer.uploads;
    EXPECT_EQ(DispatchCommand(viewer.ctx, kCommandSmoothActives), kStatusOk);
    EXPECT_EQ(viewer.uploads, uploadsAfterLoad + 1);
    EXPECT_EQ(viewer.uploadedNormal0, kSmoothedNormal);  // smoothed before the upload
    EXPECT_TRUE(viewer.dialogs.messages.empty());
}

TEST_F(MenuCommands, OtherIdentifiersChangeNothing) {
    SceneFiles files;
    Viewer viewer(1);
    viewer.dialogs.paths.push_back(files.Write("example.KDX", kExampleScene));
    viewer.Choose(kCommandNew);
    ASSERT_EQ(viewer.scene.nextObjectMenuId, 5004);
    const std::vector<std::string> menusBefore = Describe(viewer.menus, &viewer.bar);
    const GraphicsState& g = viewer.graphics;
    const RasterDesc opaque = g.opaqueRasterDesc, transparent = g.transparentRasterDesc;
    for (int32_t id : {0, 1, 15, 17, 3999, 4003, 4011, 4015, 4024, 4032, 4059, 4061, 4999, 5001, 5004, 5006, 9998,
                       10001, 10004, 10006}) {
        SCOPED_TRACE(id);
        EXPECT_EQ(DispatchCommand(viewer.ctx, id), kStatusOk);
        EXPECT_EQ(Describe(viewer.menus, &viewer.bar), menusBefore);
        EXPECT_EQ(viewer.scene.objectVisible, (std::vector<bool>{true, true}));
        EXPECT_EQ(viewer.scene.objectTransparent, (std::vector<bool>{false, false}));
        EXPECT_EQ(g.opaqueRasterDesc, opaque);
        EXPECT_EQ(g.transparentRasterDesc, transparent);
    }
    EXPECT_EQ(viewer.dialogs.openDialogs, 1);
    EXPECT_TRUE(viewer.dialogs.messages.empty());
    EXPECT_EQ(viewer.closes, 0);
}

// ---------------------------------------------------------------------------------

class MenuObjectEntries : public QtTest {};

TEST_F(MenuObjectEntries, EveryLoadedObjectGetsItsEntriesAndTheyToggleItsFlags) {
    SceneFiles files;
    Viewer viewer(2);
    viewer.dialogs.paths = {files.Write("example.KDX", kExampleScene), files.Write("blocks.KDX", Blocks())};
    viewer.Choose(kCommandNew);     // a T3 and a LIN
    viewer.Choose(kCommandOpenAdd); // a block model
    EXPECT_TRUE(viewer.dialogs.messages.empty());
    EXPECT_EQ(Describe(viewer.menus, viewer.menus.objectsMenu), (std::vector<std::string>{
                                                      "T3 >",
                                                      "  Pit floor #5000 [x]",
                                                      "Blocks >",
                                                      "  Bloques #5004 [x]",
                                                      "Surfaces >",
                                                      "Lines >",
                                                      "  Ramp #5002 [x]",
                                                      "Points >",
                                                      "D.Holes >",
                                                  }));
    EXPECT_EQ(Describe(viewer.menus, viewer.menus.transparentSubmenu),
              (std::vector<std::string>{"Pit floor #10000 [ ]", "Bloques #10004 [ ]"}));

    struct Step {
        int32_t choice;
        std::vector<bool> visible, transparent;
        bool checked;  // the chosen entry's check mark afterwards
    };
    const Step steps[] = {
        {5002, {true, false, true}, {false, false, false}, false},
        {10004, {true, false, true}, {false, false, true}, true},
        {5000, {false, false, true}, {false, false, true}, false},
        {5002, {false, true, true}, {false, false, true}, true},
        {10000, {false, true, true}, {true, false, true}, true},
        {10004, {false, true, true}, {true, false, false}, false},
        {5000, {true, true, true}, {true, false, false}, true},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.choice);
        viewer.Choose(s.choice);
        EXPECT_EQ(viewer.scene.objectVisible, s.visible);
        EXPECT_EQ(viewer.scene.objectTransparent, s.transparent);
        const Command command = CommandOfIdentifier(s.choice);
        EXPECT_EQ(ObjectEntry(viewer.menus, command.flag, command.object)->isChecked(), s.checked);
    }
    // The identifiers work without the menus too, and the check marks follow.
    EXPECT_EQ(DispatchCommand(viewer.ctx, 10004), kStatusOk);
    EXPECT_EQ(DispatchCommand(viewer.ctx, 5000), kStatusOk);
    EXPECT_EQ(viewer.scene.objectTransparent, (std::vector<bool>{true, false, true}));
    EXPECT_EQ(viewer.scene.objectVisible, (std::vector<bool>{false, true, true}));
    EXPECT_TRUE(ObjectEntry(viewer.menus, ObjectFlag::Transparent, 2)->isChecked());
    EXPECT_FALSE(ObjectEntry(viewer.menus, ObjectFlag::Visible, 0)->isChecked());
}

TEST_F(MenuObjectEntries, EachEntrySwitchesItsOwnObjectPastTwoAndAHalfThousandAndNewRemovesThemAll) {
    // From object 2,500 on, 5000 + 2k would be the identifier of a Transparent entry.
    constexpr int32_t kObjects = 2600;
    std::string text = "\"Tavrin\"\n";
    for (int32_t k = 0; k < kObjects; ++k) {
        text += TagLine("T3", 1) + "1,0,0,\no" + std::to_string(k) + ",\n0,0,0,1,0,0,0,1,0,\n";
    }
    SceneFiles files;
    Viewer viewer(2);
    viewer.dialogs.paths = {files.Write("many.KDX", text)};
    viewer.Choose(kCommandOpenAdd);
    ASSERT_EQ(viewer.scene.objectNames.size(), static_cast<size_t>(kObjects));
    const QMenu* t3 = viewer.menus.kindSubmenu[static_cast<size_t>(ObjectKind::T3)];
    ASSERT_EQ(Opened(t3).size(), kObjects);
    ASSERT_EQ(Opened(viewer.menus.transparentSubmenu).size(), kObjects);

    std::vector<bool> visible(kObjects, true), transparent(kObjects, false);
    auto expectFlags = [&] {
        EXPECT_EQ(viewer.scene.objectVisible, visible);
        EXPECT_EQ(viewer.scene.objectTransparent, transparent);
        for (int32_t k : {0, 1, 2499, 2500, 2501, kObjects - 1}) {
            EXPECT_EQ(ObjectEntry(viewer.menus, ObjectFlag::Visible, k)->isChecked(), visible[k]) << k;
            EXPECT_EQ(ObjectEntry(viewer.menus, ObjectFlag::Transparent, k)->isChecked(), transparent[k]) << k;
        }
    };
    for (int32_t k : {0, 2500, 1, 2501, kObjects - 1}) {
        SCOPED_TRACE(k);
        EXPECT_EQ(ObjectEntry(viewer.menus, ObjectFlag::Visible, k)->text().toStdString(), "o" + std::to_string(k));
        ObjectEntry(viewer.menus, ObjectFlag::Transparent, k)->trigger();
        transparent[k] = true;
        expectFlags();
        ObjectEntry(viewer.menus, ObjectFlag::Visible, k)->trigger();
        visible[k] = false;
        expectFlags();
    }
    // Identifiers from 10000 on are Transparent entries, below it visibility.
    DispatchCommand(viewer.ctx, 10000);
    DispatchCommand(viewer.ctx, 9998);
    transparent[0] = false;
    visible[2499] = false;
    expectFlags();

    viewer.Choose(kCommandNew);  // and cancel the dialog
    for (const QMenu* submenu : viewer.menus.kindSubmenu) EXPECT_TRUE(Opened(submenu).isEmpty());
    EXPECT_TRUE(Opened(viewer.menus.transparentSubmenu).isEmpty());
    EXPECT_TRUE(viewer.menus.objectEntries.empty());
    EXPECT_TRUE(viewer.menus.transparencyEntries.empty());
}

TEST_F(MenuObjectEntries, NamesAreShownAsWritten) {
    SceneFiles files;
    Viewer viewer(1);
    const std::string names = "\"Tavrin\"\n" + TagLine("T3", 1) + "1,0,0,\nA&B,\n0,0,0,1,0,0,0,1,0,\n" +
                              TagLine("LIN", 1) + "0,\nA\xF1o & co,\nx\n0,0,0,1,1,1\n" +  // Windows-1252 "ñ"
                              TagLine("LIN", 1) + "0,\nCaf\xC3\xA9,\nx\n0,0,0,1,1,1\n";  // UTF-8 "é"
    viewer.dialogs.paths = {files.Write("names.KDX", names)};
    viewer.Choose(kCommandOpenAdd);
    EXPECT_EQ(ObjectEntry(viewer.menus, ObjectFlag::Visible, 0)->text().toStdString(), "A&&B");
    EXPECT_EQ(Describe(viewer.menus, viewer.menus.objectsMenu), (std::vector<std::string>{
                                                      "T3 >",
                                                      "  A&B #5000 [x]",
                                                      "Bloques >",
                                                      "Superficies >",
                                                      "Líneas >",
                                                      "  Año & co #5002 [x]",
                                                      "  Café #5004 [x]",
                                                      "Puntos >",
                                                      "Sondeos >",
                                                  }));
    EXPECT_EQ(Describe(viewer.menus, viewer.menus.transparentSubmenu), (std::vector<std::string>{"A&B #10000 [ ]"}));
}

// The Objects menu in English after the example scene, a file that is not a scene,
// a block model and the example scene again were loaded one after the other.
const std::vector<std::string> kObjectsMenuAfterFourLoads{
    "T3 >", "  Pit floor #5000 [x]", "  Pit floor #5006 [x]",
    "Blocks >", "  Bloques #5004 [x]",
    "Surfaces >",
    "Lines >", "  Ramp #5002 [x]", "  Ramp #5008 [x]",
    "Points >",
    "D.Holes >",
};

TEST_F(MenuObjectEntries, OpenAddContinuesTheNumberingAcrossFilesAndFailedReads) {
    SceneFiles files;
    Viewer viewer(2);
    viewer.dialogs.paths = {files.Write("example.KDX", kExampleScene), files.Write("bad.KDX", kNotASceneFile),
                            files.Write("blocks.KDX", Blocks()), files.Write("example2.KDX", kExampleScene)};
    for (int i = 0; i < 4; ++i) viewer.Choose(kCommandOpenAdd);
    EXPECT_EQ(viewer.dialogs.messages,
              (std::vector<RecordingDialogs::Message>{{"Error en la lectura del fichero.", "Error"}}));
    EXPECT_EQ(Describe(viewer.menus, viewer.menus.objectsMenu), kObjectsMenuAfterFourLoads);
    EXPECT_EQ(Describe(viewer.menus, viewer.menus.transparentSubmenu),
              (std::vector<std::string>{"Pit floor #10000 [ ]", "Bloques #10004 [ ]", "Pit floor #10006 [ ]"}));
    EXPECT_EQ(viewer.scene.nextObjectMenuId, 5010);
    EXPECT_EQ(viewer.scene.nextTransparencyMenuId, 10010);
}

TEST_F(MenuObjectEntries, DroppedFilesLoadInOrderAsOpenAddLoadsThemOnceTheDropIsOver) {
    SceneFiles files;
    Viewer viewer(2);
    QWidget window;
    new SceneFileDropTarget(&window, viewer.ctx);
    const auto urls = [](std::initializer_list<QString> texts) {
        auto data = std::make_unique<QMimeData>();
        QList<QUrl> list;
        for (const QString& text : texts) list.append(text.startsWith('/') ? QUrl::fromLocalFile(text) : QUrl(text));
        data->setUrls(list);
        return data;
    };
    const auto local = [&](const char* name, std::string_view text) { return QString::fromStdString(files.Write(name, text)); };
    const auto dragAccepted = [&](const QMimeData& data) {
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&window, &enter);
        return enter.isAccepted();
    };
    EXPECT_TRUE(window.acceptDrops());
    const auto remoteOnly = urls({"https://talan3d.example.org/pit.KDX", "sftp://host/pit.KDX"});
    EXPECT_FALSE(dragAccepted(*remoteOnly));

    const auto dropped = urls({local("example.KDX", kExampleScene), "https://talan3d.example.org/pit.KDX",
                               local("bad.KDX", kNotASceneFile), local("blocks.KDX", Blocks()),
                               local("example2.KDX", kExampleScene)});
    viewer.shell.loading = true;
    EXPECT_FALSE(dragAccepted(*dropped)) << "no drop while a file is being read";
    viewer.shell.loading = false;
    ASSERT_TRUE(dragAccepted(*dropped));
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, dropped.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_TRUE(viewer.scene.objectNames.empty()) << "the files load after the drop has ended";

    // A load still in progress when they are due (its progress window lets events
    // through) makes them wait for its end.
    viewer.shell.loading = true;
    QApplication::processEvents();
    EXPECT_TRUE(viewer.scene.objectNames.empty());
    viewer.shell.loading = false;
    QElapsedTimer waited;
    waited.start();
    while (viewer.scene.objectNames.size() < 5 && waited.elapsed() < 5000) QApplication::processEvents();

    // The same as Open (Add) of the four files one after the other; the web address
    // is passed over and no open dialog appears.
    EXPECT_EQ(viewer.dialogs.openDialogs, 0);
    EXPECT_EQ(viewer.dialogs.messages,
              (std::vector<RecordingDialogs::Message>{{"Error en la lectura del fichero.", "Error"}}));
    EXPECT_EQ(Describe(viewer.menus, viewer.menus.objectsMenu), kObjectsMenuAfterFourLoads);
}

TEST_F(MenuObjectEntries, AFileOfManySectionsGivesTheSameWithItsProgressWindowAndLeavesNoneOpen) {
    // The progress window shows from the start, retitled by every section, while the
    // window system's events are served between sections.
    std::string many = "\"Tavrin\"\n";
    for (int32_t k = 0; k < 3000; ++k) {
        many += k % 3 == 0 ? TagLine("T3", 1) + "1,0,0,\nt" + std::to_string(k) + ",\n0,0,0,1,0,0,0,1,0,\n"
                           : TagLine("SONKDX", 1) + "DDH-" + std::to_string(k) + ",\nx\n0,0,0,0,0,-10,255\n";
    }
    SceneFiles files;
    const std::vector<std::string> paths = {files.Write("example.KDX", kExampleScene), files.Write("many.KDX", many),
                                            files.Write("blocks.KDX", Blocks())};
    Viewer shown(2), silent(2);
    shown.ctx.showProgress = true;
    shown.ctx.progressShowDelayMs = 0;
    for (Viewer* viewer : {&shown, &silent}) {
        viewer->dialogs.paths = {paths.begin(), paths.end()};
        viewer->Choose(kCommandNew);
        viewer->Choose(kCommandOpenAdd);
        viewer->Choose(kCommandOpenAdd);
        ASSERT_EQ(viewer->scene.objectNames.size(), 3003u);
    }
    EXPECT_EQ(Describe(shown.menus, &shown.bar), Describe(silent.menus, &silent.bar));
    EXPECT_EQ(shown.scene.objectNames, silent.scene.objectNames);
    EXPECT_EQ(shown.scene.objectKinds, silent.scene.objectKinds);
    EXPECT_EQ(shown.scene.firstVertex, silent.scene.firstVertex);
    EXPECT_EQ(shown.scene.objectVisible, silent.scene.objectVisible);
    EXPECT_EQ(shown.scene.objectTransparent, silent.scene.objectTransparent);
    EXPECT_EQ(shown.scene.nextObjectMenuId, silent.scene.nextObjectMenuId);
    for (const QWidget* widget : QApplication::topLevelWidgets()) EXPECT_FALSE(widget->isVisible()) << widget->windowTitle().toStdString();
}

// ---------------------------------------------------------------------------------

class MenuNew : public QtTest {};

TEST_F(MenuNew, ResetsTheSceneAndViewAndLeavesTheRest) {
    SceneFiles files;
    Viewer viewer(1);
    viewer.dialogs.paths = {files.Write("example.KDX", kExampleScene), files.Write("blocks.KDX", Blocks())};
    viewer.dialogs.colours = {0x0000FF};
    viewer.Choose(kCommandNew);
    viewer.Choose(kCommandOpenAdd);
    for (int32_t id : std::initializer_list<int32_t>{kCommandSolidFace, kCommandAutoTurn, kCommandFrontFace,
                                                     kCommandAntialiased, kCommandSmoothOnOpen, kCommandEnglish,
                                                     kCommandBackColour, 10000, 5002}) {
        viewer.Choose(id);
    }
    ViewState& view = viewer.view;
    view.cameraYaw = 33.0f;
    view.autoTurnDrag = true;
    view.lightSpinSpeed = 3.0f;
    view.lightAzimuth = 100.0f;
    view.ambientIntensity = 1.25f;
    view.transparencyLevel = 0.05f;
    const ViewState before = view;
    ASSERT_EQ(viewer.graphics.opaqueRasterDesc.cullMode, CullMode::Back);
    ASSERT_EQ(viewer.graphics.opaqueRasterDesc.fillMode, FillMode::Wireframe);
    viewer.dialogs.messages.clear();

    viewer.Choose(kCommandNew);  // and cancel the dialog

    EXPECT_EQ(viewer.dialogs.openDialogs, 3);
    EXPECT_TRUE(viewer.dialogs.messages.empty());
    // The per-object entries are gone, the kind submenus stay.
    EXPECT_EQ(Describe(viewer.menus, viewer.menus.objectsMenu),
              (std::vector<std::string>{"T3 >", "Bloques >", "Superficies >", "Líneas >", "Puntos >", "Sondeos >"}));
    EXPECT_TRUE(Opened(viewer.menus.transparentSubmenu).isEmpty());
    std::vector<int32_t> ids;
    for (const auto& entry : viewer.menus.actions) ids.push_back(entry.first);
    EXPECT_EQ(ids, kFixedCommands);
    // Check marks and what they stand for.
    struct Mark {
        int32_t id;
        bool checked;
    };
    for (const Mark m : {Mark{kCommandSolidFace, true}, Mark{kCommandAutoTurn, false}, Mark{kCommandFrontFace, true},
                         Mark{kCommandBackFace, true},
                         // left as they were
                         Mark{kCommandAntialiased, true}, Mark{kCommandSmoothOnOpen, true},
                         Mark{kCommandSpanish, false}, Mark{kCommandEnglish, true}}) {
        EXPECT_EQ(viewer.Checked(m.id), m.checked) << m.id;
    }
    const GraphicsState& g = viewer.graphics;
    EXPECT_EQ(g.opaqueRasterDesc, (RasterDesc{FillMode::Solid, CullMode::None, true, true, true}));
    EXPECT_EQ(g.transparentRasterDesc, (RasterDesc{FillMode::Solid, CullMode::Back, true, false, true}));
    EXPECT_EQ(view.autoTurnSpeed, 0.0f);
    EXPECT_FALSE(view.autoTurnDrag);
    EXPECT_EQ(view.lightSpinSpeed, 0.0f);
    EXPECT_EQ(view.transparencyLevel, 0.4f);
    // The scene's lists and counters.
    const SceneModel& scene = viewer.scene;
    EXPECT_TRUE(scene.objectNames.empty());
    EXPECT_TRUE(scene.objectVisible.empty());
    EXPECT_TRUE(scene.objectTransparent.empty());
    EXPECT_EQ(scene.kindCount, (std::array<int32_t, kObjectKindCount>{}));
    EXPECT_EQ(scene.nextObjectMenuId, 5000);
    EXPECT_EQ(scene.nextTransparencyMenuId, 10000);
    EXPECT_EQ(scene.boundsMin, (std::array<float, 3>{999999995904.0f, 999999995904.0f, 999999995904.0f}));
    EXPECT_EQ(scene.boundsMax, (std::array<float, 3>{-999999995904.0f, -999999995904.0f, -999999995904.0f}));
    // Left alone: the background, the camera, the light, the language, smoothing on open.
    EXPECT_EQ(view.backgroundColor, before.backgroundColor);
    EXPECT_EQ(view.backgroundColor[0], 1.0f);
    EXPECT_EQ(view.cameraYaw, 33.0f);
    EXPECT_EQ(view.cameraPitch, before.cameraPitch);
    EXPECT_EQ(view.cameraDistance, before.cameraDistance);
    EXPECT_EQ(view.cameraTarget, before.cameraTarget);
    EXPECT_EQ(view.sceneSize, before.sceneSize);
    EXPECT_EQ(view.lightAzimuth, 100.0f);
    EXPECT_EQ(view.lightElevation, before.lightElevation);
    EXPECT_EQ(view.ambientIntensity, 1.25f);
    EXPECT_TRUE(viewer.shell.smoothOnOpen);
    EXPECT_EQ(viewer.shell.language, 2u);
}

TEST_F(MenuNew, NumbersObjectsFromTheStartAgain) {
    SceneFiles files;
    Viewer viewer(2);
    viewer.dialogs.paths = {files.Write("blocks.KDX", Blocks()), files.Write("example.KDX", kExampleScene)};
    viewer.Choose(kCommandOpenAdd);
    viewer.Choose(kCommandNew);
    EXPECT_EQ(Describe(viewer.menus, viewer.menus.objectsMenu), (std::vector<std::string>{
                                                      "T3 >",
                                                      "  Pit floor #5000 [x]",
                                                      "Blocks >",
                                                      "Surfaces >",
                                                      "Lines >",
                                                      "  Ramp #5002 [x]",
                                                      "Points >",
                                                      "D.Holes >",
                                                  }));
    EXPECT_EQ(Describe(viewer.menus, viewer.menus.transparentSubmenu), (std::vector<std::string>{"Pit floor #10000 [ ]"}));
    viewer.Choose(5002);
    EXPECT_EQ(viewer.scene.objectVisible, (std::vector<bool>{true, false}));
}

TEST_F(MenuNew, AFileThatCannotBeReadShowsTheSpanishReadErrorInBothLanguages) {
    const RecordingDialogs::Message readError{"Error en la lectura del fichero.", "Error"};
    enum class Answer { NotAScene, Missing, Cancel };
    struct Case {
        uint32_t language;
        int32_t command;
        Answer answer;
        bool message;
        size_t objectsAfter;  // with the example's two objects loaded before
    };
    const Case cases[] = {
        {1, kCommandNew, Answer::NotAScene, true, 0},
        {2, kCommandNew, Answer::NotAScene, true, 0},
        {2, kCommandNew, Answer::Missing, true, 0},
        {2, kCommandNew, Answer::Cancel, false, 0},
        {1, kCommandOpenAdd, Answer::NotAScene, true, 2},
        {2, kCommandOpenAdd, Answer::NotAScene, true, 2},
        {1, kCommandOpenAdd, Answer::Missing, true, 2},
        {1, kCommandOpenAdd, Answer::Cancel, false, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.language << " " << c.command << " " << static_cast<int>(c.answer));
        SceneFiles files;
        Viewer viewer(c.language);
        viewer.dialogs.paths = {files.Write("example.KDX", kExampleScene)};
        viewer.Choose(kCommandOpenAdd);
        const std::vector<std::string> objectsMenu = Describe(viewer.menus, viewer.menus.objectsMenu);
        if (c.answer == Answer::NotAScene) viewer.dialogs.paths = {files.Write("bad.KDX", kNotASceneFile)};
        if (c.answer == Answer::Missing) viewer.dialogs.paths = {files.Missing()};
        viewer.Choose(c.command);
        EXPECT_EQ(viewer.dialogs.openDialogs, 2);
        EXPECT_EQ(viewer.dialogs.messages, c.message ? std::vector<RecordingDialogs::Message>{readError}
                                                     : std::vector<RecordingDialogs::Message>{});
        EXPECT_EQ(viewer.scene.objectNames.size(), c.objectsAfter);
        // A file that could not be read leaves the objects and their entries as they were.
        if (c.objectsAfter == 2) {
            EXPECT_EQ(Describe(viewer.menus, viewer.menus.objectsMenu), objectsMenu);
        } else {
            EXPECT_TRUE(Opened(viewer.menus.kindSubmenu[0]).isEmpty());
        }
    }
}

// ---------------------------------------------------------------------------------

class ObjectsPanelTest : public QtTest {};

// Three holes whose names share their beginnings.
std::string Holes() {
    std::string text = "\"Tavrin\"\n";
    for (const char* name : {"DDH-3172", "DDH-0031", "DDH-3100"}) {
        text += TagLine("SONKDX", 1) + name + ",\nx\n0,0,0,0,0,-10,255\n";
    }
    return text;
}

// One line per row of the panel as shown: "[x] name | kind | elements", and "| [ ]"
// after it where the object can be drawn transparent.
std::vector<std::string> PanelRows(const ObjectsPanel& panel) {
    const QAbstractItemModel& model = *panel.Table()->model();
    const auto text = [&](int row, int column) { return model.data(model.index(row, column)).toString().toStdString(); };
    const auto box = [&](int row, int column) -> std::string {
        const QVariant state = model.data(model.index(row, column), Qt::CheckStateRole);
        return !state.isValid() ? "" : state.toInt() == Qt::Checked ? "[x]" : "[ ]";
    };
    std::vector<std::string> rows;
    for (int row = 0; row < model.rowCount(); ++row) {
        rows.push_back(box(row, 0) + " " + text(row, 0) + " | " + text(row, 1) + " | " + text(row, 2) +
                       (box(row, 3).empty() ? "" : " | " + box(row, 3)));
    }
    return rows;
}

std::vector<std::string> PanelNames(const ObjectsPanel& panel) {
    const QAbstractItemModel& model = *panel.Table()->model();
    std::vector<std::string> names;
    for (int row = 0; row < model.rowCount(); ++row) names.push_back(model.data(model.index(row, 0)).toString().toStdString());
    return names;
}

// A key pressed and released over `widget`, as the keyboard sends it.
void Key(QWidget* widget, int key, const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(widget, &release);
}

void Type(QWidget* widget, const std::string& text) {
    for (char c : text) Key(widget, QChar(c).toUpper().unicode(), QString(QChar(c)));
}

// The example's surface and line, the block model, then the three holes.
void LoadSixObjects(Viewer& viewer, const SceneFiles& files) {
    viewer.dialogs.paths = {files.Write("example.KDX", kExampleScene), files.Write("blocks.KDX", Blocks()),
                            files.Write("holes.KDX", Holes())};
    for (int i = 0; i < 3; ++i) viewer.Choose(kCommandOpenAdd);
}

TEST_F(ObjectsPanelTest, ListsEveryObjectInLoadOrderAndNarrowsAsOneTypesInBothLanguages) {
    SceneFiles files;
    Viewer viewer(2);
    LoadSixObjects(viewer, files);
    EXPECT_EQ(PanelRows(*viewer.panel), (std::vector<std::string>{
                                           "[x] Pit floor | T3 | 2 | [ ]",
                                           "[x] Ramp | Lines | 1",
                                           "[x] Bloques | Blocks | 2 | [ ]",
                                           "[x] DDH-3172 | D.Holes | 1",
                                           "[x] DDH-0031 | D.Holes | 1",
                                           "[x] DDH-3100 | D.Holes | 1",
                                       }));
    QLineEdit* filter = viewer.panel->FilterField();
    struct Step {
        std::string typed;  // after the field is emptied
        std::vector<std::string> names;
    };
    const Step steps[] = {
        {"ddh-31", {"DDH-3172", "DDH-3100"}},  // by name, whatever the case
        {"lines", {"Ramp"}},                   // by kind, as the menus call it
        {"sonkdx", {"DDH-3172", "DDH-0031", "DDH-3100"}},  // by the kind's tag in the file
        {"nothing", {}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.typed);
        while (!filter->text().isEmpty()) Key(filter, Qt::Key_Backspace);
        Type(filter, step.typed);
        EXPECT_EQ(PanelNames(*viewer.panel), step.names);
    }
    Key(filter, Qt::Key_Backspace);  // "nothin"
    EXPECT_TRUE(PanelNames(*viewer.panel).empty());
    filter->clear();
    Type(filter, "3172");
    // Down goes from the field to the list, on its first row.
    Key(filter, Qt::Key_Down);
    EXPECT_EQ(viewer.panel->Table()->currentIndex().row(), 0);

    Viewer spanish(1);
    spanish.dialogs.paths = {files.Write("holes.KDX", Holes())};
    spanish.Choose(kCommandOpenAdd);
    EXPECT_EQ(spanish.panel->windowTitle().toStdString(), "Objetos");
    const QAbstractItemModel& model = *spanish.panel->Table()->model();
    std::vector<std::string> headers;
    for (int column = 0; column < model.columnCount(); ++column) {
        headers.push_back(model.headerData(column, Qt::Horizontal).toString().toStdString());
    }
    EXPECT_EQ(headers, (std::vector<std::string>{"Nombre", "Tipo", "Elementos", "Transparente"}));
    Type(spanish.panel->FilterField(), "sondeos");
    EXPECT_EQ(PanelRows(*spanish.panel), (std::vector<std::string>{"[x] DDH-3172 | Sondeos | 1", "[x] DDH-0031 | Sondeos | 1",
                                                                  "[x] DDH-3100 | Sondeos | 1"}));
}

TEST_F(ObjectsPanelTest, SwitchesThroughTheCommandsSoThatMenusAndPanelAgree) {
    SceneFiles files;
    Viewer viewer(2);
    LoadSixObjects(viewer, files);
    ObjectsPanel& panel = *viewer.panel;
    QTableView* table = panel.Table();
    QAbstractItemModel& model = *table->model();
    const auto expectMenusAgree = [&](const std::vector<bool>& visible, const std::vector<bool>& transparent) {
        EXPECT_EQ(viewer.scene.objectVisible, visible);
        EXPECT_EQ(viewer.scene.objectTransparent, transparent);
        for (size_t k = 0; k < visible.size(); ++k) {
            const auto object = static_cast<int32_t>(k);
            EXPECT_EQ(ObjectEntry(viewer.menus, ObjectFlag::Visible, object)->isChecked(), visible[k]) << k;
            if (const QAction* entry = ObjectEntry(viewer.menus, ObjectFlag::Transparent, object)) {
                EXPECT_EQ(entry->isChecked(), transparent[k]) << k;
            }
        }
    };

    // Hidden at first; the View entry, F9, shows it and the close box hides it.
    EXPECT_TRUE(panel.isHidden());
    EXPECT_EQ(viewer.menus.actions.at(kCommandObjectsPanel)->shortcut(), QKeySequence(Qt::Key_F9));
    viewer.Choose(kCommandObjectsPanel);
    EXPECT_FALSE(panel.isHidden());
    EXPECT_TRUE(viewer.Checked(kCommandObjectsPanel));

    // A check box clicked is the object's command, and a menu entry chosen shows in
    // the panel.
    model.setData(model.index(1, 0), Qt::Unchecked, Qt::CheckStateRole);
    viewer.Choose(10004);
    expectMenusAgree({true, false, true, true, true, true}, {false, false, true, false, false, false});
    EXPECT_EQ(PanelRows(panel)[2], "[x] Bloques | Blocks | 2 | [x]");

    // Space switches every selected row to the opposite of the current one.
    const auto select = [&](std::initializer_list<int> rows, int currentRow, int currentColumn) {
        table->selectionModel()->clearSelection();
        for (int row : rows) {
            table->selectionModel()->select(model.index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
        table->selectionModel()->setCurrentIndex(model.index(currentRow, currentColumn), QItemSelectionModel::NoUpdate);
    };
    select({0, 1, 3}, 0, 0);
    Key(table, Qt::Key_Space, QStringLiteral(" "));
    expectMenusAgree({false, false, true, false, true, true}, {false, false, true, false, false, false});
    Key(table, Qt::Key_Space, QStringLiteral(" "));
    expectMenusAgree({true, true, true, true, true, true}, {false, false, true, false, false, false});
    // In the Transparent column it switches the transparency of those that have one.
    select({0, 1, 2, 3, 4, 5}, 0, 3);
    Key(table, Qt::Key_Space, QStringLiteral(" "));
    expectMenusAgree({true, true, true, true, true, true}, {true, false, true, false, false, false});

    panel.close();
    EXPECT_TRUE(panel.isHidden());
    EXPECT_FALSE(viewer.Checked(kCommandObjectsPanel));
    viewer.Choose(kCommandNew);  // and cancel the dialog
    EXPECT_EQ(model.rowCount(), 0);
}

// ---------------------------------------------------------------------------------

TEST(ProgressBar, CentredOnTheDrawingAreaAndNeverOutOfSight) {
    struct Case {
        uint32_t width, height;
        QRect screen;
        std::optional<int> x, y;  // where given, the exact position; the bar always lies within the screen
    };
    const QRect big(0, 0, 2560, 1440);
    const Case cases[] = {
        {1000, 700, big, 325, 325},
        {1000, 700, QRect(0, 27, 1920, 1053), 325, 325},  // a panel above: the same place
        {350, 50, big, 0, 0},
        {800, 600, big, 225, 275},
        {801, 601, big, 225, 275},  // halves are rounded down
        {349, 700, big, std::nullopt, 325},
        {200, 700, big, std::nullopt, 325},
        {0, 700, big, std::nullopt, 325},
        {1000, 49, big, 325, std::nullopt},
        {1000, 0, big, 325, std::nullopt},
        {100, 10, big, std::nullopt, std::nullopt},
        {100, 10, QRect(-1280, 100, 1280, 1024), std::nullopt, std::nullopt},  // a screen left of the first
        {0xFFFFFFFFu, 0xFFFFFFFFu, big, std::nullopt, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.width << "x" << c.height);
        const QPoint at = ProgressBarPosition(c.width, c.height, c.screen);
        if (c.x) {
            EXPECT_EQ(at.x(), *c.x);
        }
        if (c.y) {
            EXPECT_EQ(at.y(), *c.y);
        }
        EXPECT_TRUE(c.screen.contains(QRect(at, QSize(kProgressWidth, kProgressHeight))))
            << at.x() << "," << at.y();
    }
}

TEST_F(MenuCommands, SectionSlabStepsThroughTheSceneAndMeasuringTakesTwoPicks) {
    Viewer viewer(2);
    std::string status, copied;
    viewer.ctx.showStatus = [&status](const std::string& text) { status = text; };
    viewer.ctx.copyText = [&copied](const std::string& text) { copied = text; };
    viewer.view.cameraTarget = {1000, 2000, 300};
    viewer.view.sceneSize = 400;

    viewer.Choose(kCommandSectionY);  // across y, at the target, a twentieth of the scene thick
    EXPECT_EQ(viewer.view.section.axis, 1);
    EXPECT_EQ(viewer.view.section.centre, 2000.0);
    EXPECT_EQ(viewer.view.section.thickness, 20.0);
    EXPECT_TRUE(viewer.Checked(kCommandSectionY));
    EXPECT_EQ(status, "Section across Y = 2000.00, 20.00 thick");
    viewer.Choose(kCommandSectionForward);
    viewer.Choose(kCommandSectionThicker);
    viewer.Choose(kCommandSectionBack);
    EXPECT_EQ(viewer.view.section.centre, 1980.0);
    EXPECT_EQ(viewer.view.section.thickness, 40.0);
    viewer.Choose(kCommandSectionThinner);
    viewer.Choose(kCommandLookAlongSection);  // north, at the level
    EXPECT_EQ(viewer.view.cameraYaw, 0.0f);
    EXPECT_EQ(viewer.view.cameraPitch, 0.0f);
    viewer.Choose(kCommandSectionZ);  // another axis replaces the slab; the same key removes it
    EXPECT_EQ(viewer.view.section.centre, 300.0);
    EXPECT_FALSE(viewer.Checked(kCommandSectionY));
    viewer.Choose(kCommandLookAlongSection);
    EXPECT_EQ(viewer.view.cameraPitch, 89.0f);
    viewer.Choose(kCommandSectionZ);
    EXPECT_FALSE(viewer.view.section.Active());
    EXPECT_EQ(status, "");
    viewer.Choose(kCommandSectionX);
    viewer.Choose(kCommandSectionRemove);
    EXPECT_FALSE(viewer.view.section.Active());

    // M, then two clicks; a click on the background between them adds no point.
    viewer.scene.objectNames = {"Pit"};  // what a pick names
    viewer.scene.objectKinds = {ObjectKind::T3};
    viewer.Choose(kCommandMeasure);
    EXPECT_EQ(status, "Measure: click the first point");
    const auto pick = [&](FilePoint at, bool hit) {
        PickResult pick;
        pick.hit = hit;
        pick.point = at;
        pick.element = {0, 7, 0};
        Picked(viewer.ctx, pick);
    };
    pick({0, 0, 10}, true);
    pick({5, 5, 5}, false);
    pick({0, -10, 0}, true);
    EXPECT_FALSE(viewer.view.measure.measuring);
    EXPECT_EQ(viewer.view.measure.count, 2);
    viewer.Choose(kCommandCopyResult);
    EXPECT_EQ(copied, "Measured: slope 14.14, horizontal 10.00, dz -10.00, azimuth 180.00°, dip 45.00°");
    viewer.Choose(kCommandMeasure);  // M again takes the measurement away
    EXPECT_FALSE(viewer.view.measure.Shown());
    pick({1.5, 2.25, 3}, true);  // outside a measurement a click is a pick
    viewer.Choose(kCommandCopyResult);
    EXPECT_EQ(copied, "Point 1.50, 2.25, 3.00: object 0 \"Pit\" (T3), triangle 7");

    viewer.Choose(kCommandSectionX);
    viewer.dialogs.paths.clear();  // New with the dialog cancelled forgets them all
    viewer.Choose(kCommandNew);
    EXPECT_FALSE(viewer.view.section.Active());
    EXPECT_TRUE(viewer.shell.pickText.empty());
    EXPECT_EQ(status, "");
}

}  // namespace
}  // namespace talan
