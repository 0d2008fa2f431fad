// Reloading the scene when a file it was read from changes on disk: which flags the
// new objects take, what a half-written file leaves, when the user is asked, and the
// watch of real files replaced by renaming.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>

// The shell's headers bring the GL declarations; Qt's must come after them.
#include "QtTestApplication.h"
#include "ShellViewer.h"
#include "TestHelpers.h"
#include "shell/CommandNames.h"
#include "shell/FileReload.h"
#include "shell/LoadedFilesWatcher.h"

#include <QAction>
#include <QCoreApplication>

namespace talan {
namespace {

using testing::Snapshot, testing::TagLine, testing::Viewer;

std::string Triangle(const std::string& name) {
    return TagLine("T3", 1) + "1,0,0,\n" + name + ",\n0,0,0,10,0,0,0,10,5,\n";
}
std::string Line(const std::string& name) { return TagLine("LIN", 1) + "255,\n" + name + ",\nx\n0,0,0,10,10,10\n"; }
std::string Scene(const std::string& sections) { return "\"Tavrin\"\n" + sections; }

// The objects' names with their two flags ("v" shown, "t" transparent, "-" not), as
// the records hold them; the menu entries must show the same.
std::string Flags(const Viewer& viewer) {
    std::string out;
    const SceneModel& scene = viewer.scene;
    for (size_t k = 0; k < scene.objectNames.size(); ++k) {
        out += scene.objectNames[k] + (scene.objectVisible[k] ? " v" : " -") + (scene.objectTransparent[k] ? "t; " : "-; ");
        const QAction* shown = ObjectEntry(viewer.menus, ObjectFlag::Visible, static_cast<int32_t>(k));
        EXPECT_TRUE(shown != nullptr && shown->isChecked() == scene.objectVisible[k]) << scene.objectNames[k];
    }
    EXPECT_EQ(viewer.menus.objectEntries.size(), scene.objectNames.size()) << "entries of the old scene left";
    return out;
}

void Rewrite(const std::string& path, std::string_view text) { std::ofstream(path, std::ios::binary) << text; }

// Writes a new file beside `path` and renames it over `path`, as editors save.
void ReplaceByRenaming(const std::string& path, std::string_view text) {
    Rewrite(path + ".new", text);
    ASSERT_EQ(std::rename((path + ".new").c_str(), path.c_str()), 0);
}

using FileReload = testing::QtApplicationTest;

TEST(KeepFlagsByName, ObjectsTakeTheFlagsOfTheirNameInOrderAndNewNamesTheDefaults) {
    SceneModel before, after;
    ASSERT_TRUE(ReadSceneText(before, Scene(Triangle("pit") + Triangle("pit") + Line("road")), nullptr).read);
    before.objectVisible = {false, true, false};
    before.objectTransparent = {true, false, false};
    // A third "pit" and a new "ramp" come in; "road" moved to the front.
    ASSERT_TRUE(
        ReadSceneText(after, Scene(Line("road") + Triangle("pit") + Triangle("ramp") + Triangle("pit") + Triangle("pit")),
                      nullptr)
            .read);
    KeepFlagsByName(before, after);
    EXPECT_EQ(after.objectVisible, (std::vector<bool>{false, false, true, true, true}));
    EXPECT_EQ(after.objectTransparent, (std::vector<bool>{false, true, false, false, false}));
}

TEST_F(FileReload, AReloadKeepsTheCameraTheSlabAndEachNamesFlagsWithoutFitting) {
    Viewer viewer(kLanguageEnglish);
    const std::string path = viewer.File(Scene(Triangle("pit") + Line("road") + Triangle("shell")));
    viewer.paths.push_back(path);
    viewer.Choose(kCommandOpenAdd, kCommandFollowChanges, kFirstObjectMenuId + 2, kFirstTransparencyMenuId);
    ASSERT_EQ(viewer.shell.loadedFiles, std::vector<std::string>{path});
    viewer.view.cameraYaw = 33.0f;
    viewer.view.cameraPitch = 12.0f;
    viewer.view.cameraDistance = 7.5f;
    viewer.view.cameraTarget = {1.0f, 2.0f, 3.0f};
    viewer.view.exaggeration = 2.0f;
    viewer.Choose(kCommandSectionZ);
    const ViewState view = viewer.view;
    ASSERT_TRUE(view.section.Active());

    // "shell" is gone, "ramp" is new, "pit" grew a second triangle.
    Rewrite(path, Scene(Line("road") + Triangle("ramp") + TagLine("T3", 2) +
                        "1,0,0,\npit,\n0,0,0,10,0,0,0,10,5,\n0,0,0,0,10,0,0,0,50,\n"));
    EXPECT_TRUE(LoadedFilesChanged(viewer.ctx, {path}));
    EXPECT_EQ(Flags(viewer), "road --; ramp v-; pit vt; ");
    EXPECT_EQ(viewer.scene.elementCounts[2], 2);
    EXPECT_EQ(std::tuple(viewer.view.cameraYaw, viewer.view.cameraPitch, viewer.view.cameraDistance,
                         viewer.view.cameraTarget, viewer.view.exaggeration, viewer.view.section.axis,
                         viewer.view.section.centre, viewer.view.section.thickness),
              std::tuple(view.cameraYaw, view.cameraPitch, view.cameraDistance, view.cameraTarget, view.exaggeration,
                         view.section.axis, view.section.centre, view.section.thickness));
    EXPECT_EQ(viewer.asked, 0u) << "Follow changes reloads without asking";
}

TEST_F(FileReload, AHalfWrittenFileKeepsTheSceneAndSaysSoUntilAGoodOneIsRead) {
    const std::string good = Scene(Triangle("pit"));
    const std::pair<std::string, const char*> halves[] = {
        {"", "the file is empty"},
        {"\"Tav", "line 1 does not carry"},
        {"\"Tavrin\"\n", "nothing to draw"},
        {"\"Tavrin\"\n" + TagLine("T3", 4) + "1,0,0,\npit,\n", "nothing to draw"},
    };
    for (const auto& [half, reason] : halves) {
        Viewer viewer(kLanguageEnglish);
        viewer.Choose(kCommandFollowChanges);
        viewer.Open(kCommandOpenAdd, good);
        const std::string path = viewer.shell.loadedFiles.at(0);
        viewer.Choose(kFirstTransparencyMenuId);
        const testing::SceneSnapshot before = Snapshot(viewer.scene);

        Rewrite(path, half);
        LoadedFilesChanged(viewer.ctx, {path});
        EXPECT_TRUE(Snapshot(viewer.scene) == before) << reason;
        EXPECT_EQ(Flags(viewer), "pit vt; ");
        EXPECT_NE(viewer.Status().find("Could not reload " + path + ": "), std::string::npos) << viewer.Status();
        EXPECT_NE(viewer.Status().find(reason), std::string::npos) << viewer.Status();
        EXPECT_NE(viewer.Status().find("; keeping the scene shown"), std::string::npos) << viewer.Status();

        // The next change is read again: a good file replaces the scene and the note goes.
        Rewrite(path, Scene(Triangle("pit") + Line("road")));
        LoadedFilesChanged(viewer.ctx, {path});
        EXPECT_EQ(Flags(viewer), "pit vt; road v-; ") << reason;
        EXPECT_EQ(viewer.Status(), "");
    }
    // In Spanish, and naming the file that failed among several.
    Viewer viewer(kLanguageSpanish);
    viewer.Choose(kCommandFollowChanges);
    viewer.Open(kCommandOpenAdd, good);
    viewer.Open(kCommandOpenAdd, Scene(Line("road")));
    const std::string second = viewer.shell.loadedFiles.at(1);
    Rewrite(second, "\"Tav");
    LoadedFilesChanged(viewer.ctx, {second});
    EXPECT_EQ(Flags(viewer), "pit v-; road v-; ");
    EXPECT_NE(viewer.Status().find("No se pudo volver a cargar " + second + ": "), std::string::npos);
    EXPECT_NE(viewer.Status().find("; se mantiene la escena mostrada"), std::string::npos);
}

TEST_F(FileReload, WithoutFollowChangesTheUserIsAskedAndNoKeepsTheScene) {
    Viewer viewer(kLanguageEnglish);
    EXPECT_EQ(CommandOfName("follow-changes"), std::optional<int32_t>(kCommandFollowChanges));
    EXPECT_FALSE(viewer.Checked(kCommandFollowChanges));
    viewer.Open(kCommandOpenAdd, Scene(Triangle("pit")));
    const std::string path = viewer.shell.loadedFiles.at(0);
    Rewrite(path, Scene(Triangle("ramp")));
    viewer.answers = {false, true};
    LoadedFilesChanged(viewer.ctx, {path});
    EXPECT_EQ(Flags(viewer), "pit v-; ");
    EXPECT_EQ(viewer.messages.back(), path + " changed on disk. Reload it?");
    LoadedFilesChanged(viewer.ctx, {path});
    EXPECT_EQ(Flags(viewer), "ramp v-; ");
    EXPECT_EQ(viewer.log, "File changed?; File changed?; ");

    // Checked, it reloads without a question; in Spanish the question has its own words.
    viewer.Choose(kCommandFollowChanges);
    EXPECT_TRUE(viewer.Checked(kCommandFollowChanges));
    Rewrite(path, Scene(Triangle("pit")));
    LoadedFilesChanged(viewer.ctx, {path});
    EXPECT_EQ(std::tuple(Flags(viewer), viewer.asked), std::tuple("pit v-; ", size_t{2}));
    viewer.Choose(kCommandFollowChanges);
    viewer.shell.language = kLanguageSpanish;
    LoadedFilesChanged(viewer.ctx, {path});
    EXPECT_EQ(viewer.messages.back(), path + " ha cambiado en el disco. ¿Volver a cargarlo?");

    // New forgets the files: a change of the old one asks nothing and reads nothing.
    viewer.Open(kCommandNew, Scene(Line("road")));
    ASSERT_EQ(viewer.shell.loadedFiles.size(), 1u);
    EXPECT_NE(viewer.shell.loadedFiles[0], path);
    viewer.Choose(kCommandFollowChanges);
    LoadedFilesChanged(viewer.ctx, {path});
    Rewrite(viewer.shell.loadedFiles[0], Scene(Line("road") + Line("ramp")));
    LoadedFilesChanged(viewer.ctx, {viewer.shell.loadedFiles[0]});
    EXPECT_EQ(std::tuple(Flags(viewer), viewer.asked), std::tuple("road v-; ramp v-; ", size_t{3}));
}

// Processes events until `done` holds, for a generous while; whether it came.
template <typename Done>
bool ProcessEventsUntil(Done done) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!done() && std::chrono::steady_clock::now() < end) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

TEST_F(FileReload, TheWatchOutlivesFilesRenamedOverThemAndAFailedRead) {
    testing::TempFolder folder;
    const std::string path =
        std::filesystem::path(folder.Write("pit.KDX", Scene(Triangle("pit")))).lexically_normal().string();
    Viewer viewer(kLanguageEnglish);
    viewer.host.Watcher().quietMs = 20;
    viewer.paths.push_back(path);
    viewer.Choose(kCommandOpenAdd, kCommandFollowChanges);
    ASSERT_EQ(viewer.host.Watcher().Files(), QStringList{QString::fromStdString(path)});

    // Written in place, then replaced twice by renaming: half-written first, then whole.
    Rewrite(path, Scene(Triangle("pit") + Triangle("in place")));
    ASSERT_TRUE(ProcessEventsUntil([&] { return viewer.scene.objectNames.size() == 2; }));
    ReplaceByRenaming(path, "\"Tav");
    ASSERT_TRUE(ProcessEventsUntil([&] { return !viewer.shell.reloadNote.empty(); }));
    EXPECT_EQ(viewer.scene.objectNames.size(), 2u);
    ReplaceByRenaming(path, Scene(Triangle("renamed")));
    ASSERT_TRUE(ProcessEventsUntil([&] { return viewer.scene.objectNames.size() == 1; }));
    EXPECT_EQ(viewer.scene.objectNames[0], "renamed");
    ReplaceByRenaming(path, Scene(Line("again") + Line("twice")));
    ASSERT_TRUE(ProcessEventsUntil([&] { return viewer.scene.objectNames.size() == 2; }));
    EXPECT_EQ(viewer.Status(), "");

    // New stops the watch.
    viewer.Open(kCommandNew, Scene(Line("road")));
    EXPECT_EQ(viewer.host.Watcher().Files().size(), 1);
    EXPECT_FALSE(viewer.host.Watcher().Files().contains(QString::fromStdString(path)));
}

}  // namespace
}  // namespace talan
