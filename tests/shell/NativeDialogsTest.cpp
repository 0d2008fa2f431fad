// The toolkit's own dialogs as the interface shows them: Qt's texts in the chosen
// language, the open dialog starting where the last file was opened, and object
// submenus that scroll rather than fill the screen in columns.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

// The shell's headers bring the GL declarations; Qt's must come after them.
#include "QtTestApplication.h"
#include "TestHelpers.h"
#include "shell/Commands.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>

namespace talan {
namespace {

using testing::kExampleScene;

class NativeDialogs : public testing::QtApplicationTest {};

// A Cancel button as Qt's dialogs make it: its text comes from Qt's catalogue.
std::string CancelText() {
    QDialogButtonBox box(QDialogButtonBox::Cancel);
    return box.button(QDialogButtonBox::Cancel)->text().toStdString();
}

TEST_F(NativeDialogs, QtTextsFollowTheInterfaceLanguage) {
    const QString catalogue = QLibraryInfo::path(QLibraryInfo::TranslationsPath) + QStringLiteral("/qtbase_es.qm");
    ASSERT_TRUE(std::filesystem::exists(catalogue.toStdString()))
        << catalogue.toStdString() << " is missing: install the Debian package qt6-translations-l10n";
    ASSERT_EQ(CancelText(), "Cancel");

    for (const uint32_t english : {kLanguageEnglish, 0u, 7u}) {  // any language but Spanish shows English
        EXPECT_EQ(InstallQtTranslations(english), nullptr) << english;
        EXPECT_EQ(CancelText(), "Cancel") << english;
    }
    {
        const std::unique_ptr<QTranslator> spanish = InstallQtTranslations(kLanguageSpanish);
        ASSERT_NE(spanish, nullptr);
        EXPECT_EQ(CancelText(), "Cancelar");
        EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Open").toStdString(), "Abrir") << "the open dialog";
        EXPECT_EQ(QCoreApplication::translate("QColorDialog", "&Red:").toStdString(), "&Rojo:") << "the colour dialog";
    }
    EXPECT_EQ(CancelText(), "Cancel") << "the translator leaves the application with its owner";
}

// The viewer's records without a window; the open dialog answers from a list and
// notes the folder it was asked to start in.
struct OpenDialogViewer : Dialogs {
    std::optional<std::string> OpenSceneFile(QWidget*, const std::string& folder) override {
        folders.push_back(folder);
        return answered < answers.size() ? std::exchange(answers[answered++], std::nullopt) : std::nullopt;
    }
    std::optional<uint32_t> ChooseColour(QWidget*, std::array<uint32_t, 16>&) override { return std::nullopt; }
    void ShowMessage(const std::string&, const std::string& caption) override { messages += caption + "; "; }
    void ShowAbout(QWidget*, uint32_t) override {}
    OpenDialogViewer() {
        shell.clientWidth = shell.clientHeight = 100;
        ctx.upload = [this] { return scene.totalVertexCount > 0 ? kStatusOk : kStatusInvalidArg; };
        ctx.showProgress = false;
    }

    ShellState shell;
    ViewState view;
    SceneModel scene;
    GraphicsState graphics;
    ShellContext ctx{.shell = shell, .view = view, .scene = scene, .graphics = graphics, .dialogs = *this};
    std::vector<std::optional<std::string>> answers;  // the dialog's answers in turn; none: cancelled
    size_t answered = 0;
    std::vector<std::string> folders;
    std::string messages;
};

TEST_F(NativeDialogs, OpenAddStartsInTheFolderOfTheLastFileOpened) {
    const std::filesystem::path base =
        std::filesystem::path(::testing::TempDir()) / ("talan_open_folder_" + std::to_string(::getpid()));
    for (const char* folder : {"first", "second", "third"}) std::filesystem::create_directories(base / folder);
    std::ofstream(base / "first" / "a.KDX") << kExampleScene;
    std::ofstream(base / "second" / "b.KDX") << kExampleScene;
    std::ofstream(base / "third" / "not_a_scene.txt") << "plain text\n";

    // No file yet: the dialog starts where it would by itself.
    OpenDialogViewer fresh;
    EXPECT_EQ(LoadSceneFile(fresh.ctx), kStatusOk);
    EXPECT_EQ(fresh.folders, std::vector<std::string>{""});

    OpenDialogViewer viewer;
    viewer.shell.pendingScenePath = (base / "first" / "a.KDX").string();  // the command line's file
    ASSERT_EQ(LoadSceneFile(viewer.ctx), kStatusOk);
    viewer.answers = {(base / "second" / "b.KDX").string(), std::nullopt, (base / "third" / "not_a_scene.txt").string(),
                      std::nullopt};
    for (int i = 0; i < 4; ++i) DispatchCommand(viewer.ctx, kCommandOpenAdd);
    // A drop is taken as the command line's file is.
    viewer.shell.pendingScenePath = (base / "first" / "a.KDX").string();
    ASSERT_EQ(LoadSceneFile(viewer.ctx), kStatusOk);
    DispatchCommand(viewer.ctx, kCommandOpenAdd);
    EXPECT_EQ(viewer.folders, (std::vector<std::string>{(base / "first").string(),    // after the command line's
                                                        (base / "second").string(),   // after the dialog's
                                                        (base / "second").string(),   // a cancel changes nothing
                                                        (base / "third").string(),    // a file that was not read
                                                        (base / "first").string()}))  // after a drop
        << "the folders the open dialog was asked to start in";
    EXPECT_EQ(viewer.messages, "Error; ") << "only the file that is not a scene fails";
    EXPECT_EQ(viewer.scene.objectNames.size(), 6u) << "three reads of two objects each";
    std::filesystem::remove_all(base);
}

TEST_F(NativeDialogs, ObjectSubmenusScrollInsteadOfFillingTheScreen) {
    OpenDialogViewer viewer;
    MenuHandles menus;
    QMenuBar bar;
    viewer.ctx.menus = &menus;
    BuildMenus(viewer.ctx, &bar);
    constexpr int kObjects = 3000;
    for (int32_t k = 0; k < kObjects; ++k) {
        AddObjectEntries(menus, ObjectKind::T3, "Drill hole " + std::to_string(k), k, [](const Command&) {});
    }
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    for (QMenu* menu : {menus.kindSubmenu[static_cast<size_t>(ObjectKind::T3)], menus.transparentSubmenu}) {
        menu->popup(screen.topLeft());
        ASSERT_EQ(menu->actions().size(), kObjects);
        const QRect first = menu->actionGeometry(menu->actions().front());
        const QRect last = menu->actionGeometry(menu->actions().back());
        EXPECT_EQ(first.x(), last.x()) << "the entries stand in one column";
        EXPECT_LE(menu->height(), screen.height()) << "the menu fits the screen";
        EXPECT_LT(menu->width(), screen.width() / 2);
        EXPECT_EQ(menu->actions().back()->text().toStdString(), "Drill hole 2999") << "the entries as loaded";
        menu->hide();
    }
    // The other menus keep their usual behaviour and look.
    EXPECT_EQ(menus.viewMenu->styleSheet(), QString());
}

}  // namespace
}  // namespace talan
