// The toolkit's own dialogs as the interface shows them: Qt's texts in the chosen
// language, the open dialog starting where the last file was opened, and object
// submenus that scroll rather than fill the screen in columns.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

// The shell's headers bring the GL declarations; Qt's must come after them.
#include "QtTestApplication.h"
#include "ShellViewer.h"
#include "shell/QtDialogs.h"
#include "TestHelpers.h"

#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QMenu>
#include <QPushButton>
#include <QScreen>

namespace talan {
namespace {

using testing::kExampleScene, testing::Viewer;

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

TEST_F(NativeDialogs, OpenAddStartsInTheFolderOfTheLastFileOpened) {
    const testing::TempFolder folder;
    const std::filesystem::path base = folder.path;
    for (const char* folder : {"first", "second", "third"}) std::filesystem::create_directories(base / folder);
    std::ofstream(base / "first" / "a.KDX") << kExampleScene;
    std::ofstream(base / "second" / "b.KDX") << kExampleScene;
    std::ofstream(base / "third" / "not_a_scene.txt") << "plain text\n";

    // No file yet: the dialog starts where it would by itself.
    Viewer fresh(kLanguageEnglish);
    EXPECT_EQ(LoadSceneFile(fresh.ctx), kStatusOk);
    EXPECT_EQ(fresh.folders, std::vector<std::string>{""});

    Viewer viewer(kLanguageEnglish);
    viewer.shell.pendingScenePaths = {(base / "first" / "a.KDX").string()};  // the command line's file
    ASSERT_EQ(LoadSceneFile(viewer.ctx), kStatusOk);
    viewer.paths = {(base / "second" / "b.KDX").string(), std::nullopt, (base / "third" / "not_a_scene.txt").string(),
                      std::nullopt};
    for (int i = 0; i < 4; ++i) DispatchCommand(viewer.ctx, kCommandOpenAdd);
    // A drop is taken as the command line's file is.
    viewer.shell.pendingScenePaths = {(base / "first" / "a.KDX").string()};
    ASSERT_EQ(LoadSceneFile(viewer.ctx), kStatusOk);
    DispatchCommand(viewer.ctx, kCommandOpenAdd);
    EXPECT_EQ(viewer.folders, (std::vector<std::string>{(base / "first").string(),    // after the command line's
                                                        (base / "second").string(),   // after the dialog's
                                                        (base / "second").string(),   // a cancel changes nothing
                                                        (base / "third").string(),    // a file that was not read
                                                        (base / "first").string()}))  // after a drop
        << "the folders the open dialog was asked to start in";
    EXPECT_EQ(viewer.log, "Error; ") << "only the file that is not a scene fails";
    EXPECT_EQ(viewer.scene.objectNames.size(), 6u) << "three reads of two objects each";
}

TEST_F(NativeDialogs, ObjectSubmenusScrollInsteadOfFillingTheScreen) {
    Viewer viewer(kLanguageEnglish);
    const MenuHandles& menus = viewer.menus;
    constexpr int kObjects = 3000;
    for (int32_t k = 0; k < kObjects; ++k) viewer.host.ObjectAnnounced(k, ObjectKind::T3, "Drill hole " + std::to_string(k));
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
