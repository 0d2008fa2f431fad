// Saved views: Ctrl+digit keeps the camera, the digit brings it back, per set of
// scene files, and views.cfg carries the slots to the next run.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

// The shell's headers bring the GL declarations; Qt's must come after them.
#include "QtTestApplication.h"
#include "ShellViewer.h"
#include "TestHelpers.h"
#include "shell/CommandNames.h"
#include "shell/InputScript.h"
#include "shell/SavedViews.h"

#include <QMenu>

namespace talan {
namespace {

namespace fs = std::filesystem;
using testing::TagLine, testing::Viewer;
using SavedViewCommands = testing::QtApplicationTest;

// A wall of points and a shaft from 246 to 1049 high.
const std::string kWall = "\"Tavrin\"\n" + TagLine("PTS", 2) + "255,\nSurvey,\nx\n100,2000,246\n500,2000,1049\n" +
                          TagLine("LIN", 1) + "65280,\nShaft,\nx\n300,2000,246,300,2000,1049\n";

// A folder of its own for the test, with scene files a.KDX, b.KDX and c.KDX.
struct Folder {
    explicit Folder(const std::string& name) : path(fs::path(::testing::TempDir()) / (name + std::to_string(::getpid()))) {
        fs::remove_all(path);
        fs::create_directories(path);
        for (const char* file : {"a.KDX", "b.KDX", "c.KDX"}) std::ofstream(path / file, std::ios::binary) << kWall;
    }
    ~Folder() { fs::remove_all(path); }
    std::string operator/(const char* file) const { return (path / file).string(); }
    fs::path path;
};

// Loads `files` in turn with Open (Add), after a New when asked.
void Load(Viewer& viewer, const Folder& folder, std::vector<const char*> files, bool newFirst = false) {
    for (size_t k = 0; k < files.size(); ++k) {
        viewer.paths.push_back(folder / files[k]);
        viewer.Choose(k == 0 && newFirst ? kCommandNew : kCommandOpenAdd);
    }
}

TEST_F(SavedViewCommands, ARestoreBringsBackEveryFieldAndAnEmptySlotChangesNothing) {
    Folder folder("views_restore_");
    Viewer viewer(2);
    Load(viewer, folder, {"a.KDX"});
    viewer.view.cameraTarget = {300, 2000, 700};
    viewer.view.cameraDistance = 812.5f;
    viewer.view.cameraYaw = 390.0f;  // a turn and a bit: shown as 30
    viewer.view.cameraPitch = 45.0f;
    viewer.Choose(kCommandExaggeration1 + 3, kCommandSectionZ, kCommandSectionThicker);
    const SavedView saved = ViewOf(viewer.view);
    ASSERT_TRUE(saved.section.Active());
    viewer.Choose(kCommandSaveView1 + 2);
    EXPECT_NE(viewer.Status().find("View saved as 3"), std::string::npos) << viewer.Status();

    // Everything changed, then slot 3 brings it all back.
    viewer.view.cameraTarget = {0, 0, 0};
    viewer.view.cameraDistance = 5.0f;
    viewer.view.cameraYaw = 10.0f;
    viewer.view.cameraPitch = -20.0f;
    viewer.Choose(kCommandExaggeration1, kCommandSectionRemove);
    viewer.Choose(kCommandRestoreView1 + 2);
    EXPECT_EQ(ViewOf(viewer.view), saved);
    EXPECT_EQ(viewer.Status(), "Section across Z = 700.00, 80.30 thick     Exaggeration ×3");

    // An empty slot: nothing changes, and the line says why, in either language.
    viewer.view.section = {1, 2000.0, 10.0};
    const SavedView before = ViewOf(viewer.view);
    viewer.Choose(kCommandRestoreView1 + 4);
    EXPECT_EQ(ViewOf(viewer.view), before);
    EXPECT_EQ(viewer.Status(), "Section across Y = 2000.00, 10.00 thick     Exaggeration ×3     No view saved as 5");
    viewer.shell.language = kLanguageSpanish;
    viewer.Choose(kCommandRestoreView1 + 8);
    EXPECT_NE(viewer.Status().find("Ninguna vista guardada como 9"), std::string::npos) << viewer.Status();
    viewer.Choose(kCommandPlanView);  // the notice lasts until the next command
    EXPECT_EQ(viewer.Status().find("Ninguna"), std::string::npos) << viewer.Status();
    viewer.shell.language = kLanguageEnglish;

    // The submenu labels the slots as they are; an empty one's entry is disabled only
    // while the menu shows, so that its key still answers.
    QMenu* menu = viewer.menus.savedViewsSubmenu;
    emit menu->aboutToShow();
    const QAction* third = viewer.menus.actions.at(kCommandRestoreView1 + 2);
    const QAction* fifth = viewer.menus.actions.at(kCommandRestoreView1 + 4);
    EXPECT_EQ(std::tuple(third->text().toStdString(), third->isEnabled(), fifth->text().toStdString(), fifth->isEnabled()),
              std::tuple("3  yaw 30, pitch 45, ×3", true, "5  (empty)", false));
    emit menu->aboutToHide();
    EXPECT_TRUE(fifth->isEnabled());
}

TEST_F(SavedViewCommands, TheDigitsRestoreAndCtrlDigitsSaveInTheWindowAndInScripts) {
    for (int k = 0; k < kSavedViewSlots; ++k) {
        const Key digit = static_cast<Key>(static_cast<int>(Key::Digit1) + k);
        EXPECT_EQ(KeyOfName(std::to_string(k + 1)), digit);
        EXPECT_EQ(CommandOfStroke({digit, false, false, false}), kCommandRestoreView1 + k);
        EXPECT_EQ(CommandOfStroke({digit, true, false, false}), kCommandSaveView1 + k);
        EXPECT_EQ(CommandOfStroke({digit, false, true, false}), std::nullopt);
    }
    Viewer viewer(2);
    EXPECT_EQ(viewer.menus.actions.at(kCommandSaveView1)->shortcut(), QKeySequence("Ctrl+1"));
    EXPECT_EQ(viewer.menus.actions.at(kCommandRestoreView1 + 8)->shortcut(), QKeySequence("9"));
    std::vector<InputEvent> events;
    ASSERT_FALSE(ParseInputScript("key 1 ctrl\nkey 1\n", events).Failed());
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(std::pair(events[0].command, events[1].command), (std::pair<int32_t, int32_t>(kCommandSaveView1, kCommandRestoreView1)));
    EXPECT_EQ(ParseInputScript("key 4 alt\n", events).message, "line 1: Alt+4 chooses no menu entry");
    // The slots are the run's: --command names none of them.
    EXPECT_EQ(std::pair(CommandName(kCommandSaveView1), CommandName(kCommandRestoreView1 + 8)),
              (std::pair<const char*, const char*>(nullptr, nullptr)));
}

TEST_F(SavedViewCommands, SlotsBelongToTheSetOfFilesAndSurviveARestart) {
    Folder folder("views_restart_");
    const std::string config = folder / "views.cfg";
    SavedView saved;
    {
        Viewer first(2);
        Load(first, folder, {"a.KDX", "b.KDX"});
        first.view.cameraYaw = 123.25f;
        first.Choose(kCommandSectionX, kCommandExaggeration1 + 2, kCommandSaveView1 + 6);
        saved = ViewOf(first.view);
        ASSERT_TRUE(first.shell.savedViews.changed);
        ASSERT_FALSE(SaveSavedViews(config, first.shell.savedViews.sets).Failed());
    }
    const auto restart = [&](Viewer& viewer) { viewer.shell.savedViews.sets = LoadSavedViews(config); };
    const auto restored = [](Viewer& viewer) {
        viewer.view.section = {};
        viewer.Choose(kCommandRestoreView1 + 6);
        return viewer.view.section.Active();
    };
    // The same files in the other order: the same set, the view as saved.
    Viewer second(2);
    restart(second);
    Load(second, folder, {"b.KDX"});
    EXPECT_FALSE(restored(second));  // b alone is another set
    Load(second, folder, {"a.KDX"});
    ASSERT_TRUE(restored(second));
    EXPECT_EQ(ViewOf(second.view), saved);
    EXPECT_FALSE(second.shell.savedViews.changed);  // nothing to write back
    // After a New the set starts again: a alone, then a and c, have no views.
    Load(second, folder, {"a.KDX"}, true);
    EXPECT_FALSE(restored(second));
    Load(second, folder, {"c.KDX"});
    EXPECT_FALSE(restored(second));
    Load(second, folder, {"b.KDX", "a.KDX"}, true);
    EXPECT_TRUE(restored(second));
    // A file that fails to load does not join the set.
    second.paths.push_back(folder / "missing.KDX");
    second.Choose(kCommandOpenAdd);
    EXPECT_TRUE(restored(second));
}

TEST(SavedViewsFile, ItsTextReadsBackExactlyAndSkipsWhatIsMalformed) {
    std::map<std::string, ViewSlots> sets;
    SavedView plan{{100.5f, 2000.0f, 0.1f}, 1e4f, -30.0f, 90.0f, 1.5f, {2, 647.25, 40.125}};
    SavedView level{{1, 2, 3}, 50.0f, 1e-3f, 0.0f, 1.0f, {}};
    sets[SavedViewsKey({"/data/a.KDX", "/data/tajo sur.KDX"})][0] = plan;
    sets[SavedViewsKey({"/data/a.KDX", "/data/tajo sur.KDX"})][8] = level;
    sets[SavedViewsKey({"/data/b.KDX"})] = {};  // nothing saved: not written
    const std::string text = SavedViewsText(sets);
    EXPECT_EQ(text,
              "set\nfile /data/a.KDX\nfile /data/tajo sur.KDX\n"
              "view 1 100.5 2000 0.10000000149011612 10000 -30 90 1.5 z 647.25 40.125\n"
              "view 9 1 2 3 50 0.0010000000474974513 0 1 none 0 0\n");
    const std::map<std::string, ViewSlots> read = ReadSavedViewsText(text);
    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(read.begin()->second, sets.begin()->second);

    // Edited by hand: CR LF, unknown lines, and views no camera can have; a later line
    // for a slot wins; a view before any set, and a set without files, go nowhere.
    const std::string good = "1 2 3 50 10 20 2 y 5 1";
    std::string edited = "view 1 " + good + "\r\n# a note\r\nset\r\nfile /b.KDX\r\ncolour 3\r\nview 2 " + good + "\r\n";
    for (const char* bad : {"view 3 nan 2 3 50 10 20 2 y 5 1", "view 3 1 inf 3 50 10 20 2 y 5 1",
                            "view 3 1 2 3 50 10 20 2 y 5", "view 3 1 2 3 50 10 20 2 y 5 1 1",
                            "view 0 " "1 2 3 50 10 20 2 y 5 1", "view 10 1 2 3 50 10 20 2 y 5 1",
                            "view 2.5 1 2 3 50 10 20 2 y 5 1", "view 3 1 2 3 50 10 20 2 w 5 1",
                            "view 3 1 2 3 50 10 20 2 x 5 0", "view 3 1 2 3 50 10 20 1000 x 5 1",
                            "view 3 1 2 3 50 10 95 2 x 5 1", "view 3 1 2 3 -1 10 20 2 x 5 1",
                            "view 3 1 2 3 50 10 20 2 x 5 1e400", "view 3 1e39 2 3 50 10 20 2 x 5 1",
                            "view 3 1 2 3 50 10 20 2 x 5x 1", "view", "view 3 "}) {
        edited += std::string(bad) + "\n";
    }
    edited += "view 4 " + good + "\nview 4 1 2 3 50 10 20 2 none 0 0\nset\nview 5 " + good + "\n";
    const std::map<std::string, ViewSlots> kept = ReadSavedViewsText(edited);
    ASSERT_EQ(kept.size(), 1u);
    ViewSlots expected{};
    expected[1] = SavedView{{1, 2, 3}, 50, 10, 20, 2, {1, 5, 1}};
    expected[3] = SavedView{{1, 2, 3}, 50, 10, 20, 2, {}};
    EXPECT_EQ(kept.begin()->first, "/b.KDX");
    EXPECT_EQ(kept.begin()->second, expected);
    EXPECT_TRUE(ReadSavedViewsText("").empty());
    EXPECT_TRUE(LoadSavedViews("/nonexistent/views.cfg").empty());
}

}  // namespace
}  // namespace talan
