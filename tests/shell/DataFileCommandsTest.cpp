// Drill-hole tables and GOCAD files as the user opens them (several files chosen
// together, the command line's words, a reload), and colouring by their values from
// the View menu and the objects panel.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

// The shell's headers bring the GL declarations; Qt's must come after them.
#include "QtTestApplication.h"
#include "ShellViewer.h"
#include "TestHelpers.h"
#include "scene/ValueColours.h"
#include "shell/CommandLine.h"
#include "shell/CommandNames.h"
#include "shell/FileReload.h"
#include "shell/SceneFileDrop.h"

#include <QComboBox>

namespace talan {
namespace {

using testing::Viewer;
using DataFileCommands = testing::QtApplicationTest;

constexpr std::string_view kCollars = "HOLEID,X,Y,Z\nA,100,200,50\nB,110,200,50\n";
constexpr std::string_view kSurveys = "HOLEID,DEPTH,AZIMUTH,DIP\nA,0,0,-90\nB,0,90,-60\n";
constexpr std::string_view kAssays = "HOLEID,FROM,TO,AU,LITH\nA,0,10,1.5,oxide\nA,10,20,3.5,fresh\nB,0,5,,oxide\n"
                                     "C,0,5,2,oxide\n";

// The three tables of a set, chosen together in the next open dialog.
void ChooseSet(Viewer& viewer) {
    viewer.together = {viewer.File(kCollars, ".csv"), viewer.File(kSurveys, ".csv"), viewer.File(kAssays, ".csv")};
}

size_t ObjectNamed(const SceneModel& scene, const std::string& name) {
    for (size_t k = 0; k < scene.objectNames.size(); ++k) {
        if (scene.objectNames[k] == name) return k;
    }
    ADD_FAILURE() << "no object " << name;
    return 0;
}

TEST_F(DataFileCommands, TablesChosenTogetherMakeOneSetOfHolesAndSkippedRowsAreTold) {
    Viewer viewer(kLanguageEnglish);
    ChooseSet(viewer);
    viewer.Choose(kCommandOpenAdd);
    ASSERT_EQ(viewer.scene.objectNames.size(), 2u);
    const size_t a = ObjectNamed(viewer.scene, "A");
    EXPECT_EQ(viewer.scene.objectKinds[a], ObjectKind::SONKDX);
    EXPECT_EQ(viewer.scene.objectFormats[a], SourceFormat::DrillHoleTables);
    EXPECT_EQ(viewer.scene.kindCount[static_cast<int>(ObjectKind::SONKDX)], 2);
    EXPECT_EQ(viewer.scene.objectCount, 2);
    // Every table of the set is watched and listed as a file loaded.
    EXPECT_EQ(viewer.shell.loadedFiles.size(), 3u);
    EXPECT_EQ(viewer.shell.recentFiles.size(), 3u);
    // Hole C has no collar: its row is skipped, and one box names the file and line.
    ASSERT_EQ(viewer.messages.size(), 1u);
    EXPECT_EQ(viewer.log, "Rows skipped; ");
    EXPECT_NE(viewer.messages[0].find("1 rows were skipped"), std::string::npos) << viewer.messages[0];
    EXPECT_NE(viewer.messages[0].find(viewer.written[2] + ", line 5: hole without a collar"), std::string::npos)
        << viewer.messages[0];
}

TEST_F(DataFileCommands, TablesDroppedTogetherMakeOneSetAndSeparateDropsDoNot) {
    Viewer viewer(kLanguageEnglish);
    QWidget window;
    new SceneFileDropTarget(&window, viewer.ctx);
    const std::string collars = viewer.File(kCollars, ".csv"), assays = viewer.File(kAssays, ".csv");
    // Dropped one by one, the intervals come without their collars, and collars
    // without a depth, survey or interval give nothing to draw.
    ASSERT_TRUE(testing::DropFiles(window, {assays}));
    ASSERT_TRUE(testing::DropFiles(window, {collars}));
    QApplication::processEvents();
    EXPECT_EQ(viewer.log, "Error; Error; ");
    ASSERT_NE(viewer.messages.at(1).find("nothing to draw"), std::string::npos) << viewer.messages[1];
    EXPECT_TRUE(viewer.scene.objectNames.empty());
    ASSERT_TRUE(testing::DropFiles(window, {collars, assays}));
    QApplication::processEvents();
    ASSERT_EQ(viewer.scene.objectNames.size(), 2u);
    EXPECT_EQ(viewer.scene.objectValues[0].columns.size(), 2u);  // AU and LITH
}

TEST_F(DataFileCommands, AnIntervalTableAloneIsRefusedWithWhyAndTheRestStillLoads) {
    Viewer viewer(kLanguageEnglish);
    const std::string assays = viewer.File(kAssays, ".csv");
    const std::string notes = viewer.File("a,b,c\n1,2,3\n", ".csv");
    viewer.together = {assays, notes};
    viewer.Choose(kCommandOpenAdd);
    EXPECT_TRUE(viewer.scene.objectNames.empty());
    ASSERT_EQ(viewer.messages.size(), 2u);
    EXPECT_NE(viewer.messages[0].find("opened without a collar table"), std::string::npos) << viewer.messages[0];
    EXPECT_NE(viewer.messages[1].find("not a drill-hole table"), std::string::npos) << viewer.messages[1];
    EXPECT_TRUE(viewer.shell.recentFiles.empty());

    // A set with a file that is no table: the holes load, the other file alone fails.
    viewer.messages.clear();
    viewer.together = {viewer.File(kCollars, ".csv"), notes, assays};
    viewer.Choose(kCommandOpenAdd);
    EXPECT_EQ(viewer.scene.objectNames.size(), 2u);
    ASSERT_EQ(viewer.messages.size(), 2u);  // the refused file, then the row without a collar
    EXPECT_NE(viewer.messages[0].find(notes + ": not a drill-hole table"), std::string::npos) << viewer.messages[0];
    EXPECT_EQ(viewer.shell.recentFiles.size(), 2u);
    EXPECT_EQ(viewer.shell.loadedFiles.size(), 2u);
    viewer.Choose(kCommandNew);

    // A scene file and a refused table together: the scene file's objects stay.
    viewer.messages.clear();
    viewer.together = {viewer.File("\"Tavrin\"  PTS      1,\n255,\np,\nskip\n1,2,3\n"), assays};
    viewer.Choose(kCommandOpenAdd);
    EXPECT_EQ(viewer.scene.objectNames.size(), 1u);
    EXPECT_EQ(viewer.messages.size(), 1u);
    // The scene file heads the list; the interval table, refused now, leaves it.
    EXPECT_EQ(viewer.shell.recentFiles.size(), 2u);
    EXPECT_EQ(viewer.shell.recentFiles.front(), viewer.written.back());
}

TEST_F(DataFileCommands, ColourByFromTheMenuAndThePanelAndNewForgetsIt) {
    Viewer viewer(kLanguageEnglish);
    ChooseSet(viewer);
    viewer.Choose(kCommandOpenAdd);
    QComboBox* list = viewer.panel->ColourByList();
    ASSERT_EQ(list->count(), 3);  // own colours, AU, LITH
    EXPECT_EQ(list->itemText(1).toStdString(), "AU");
    EXPECT_TRUE(viewer.Checked(kCommandOwnColours));
    EXPECT_FALSE(viewer.view.legend.shown);

    viewer.Choose(kCommandColourByValue1 + 1);  // LITH
    EXPECT_EQ(viewer.view.colourBy.value, "LITH");
    EXPECT_TRUE(viewer.view.legend.shown);
    EXPECT_TRUE(viewer.view.legend.categories);
    EXPECT_TRUE(viewer.Checked(kCommandColourByValue1 + 1));
    EXPECT_FALSE(viewer.Checked(kCommandOwnColours));
    EXPECT_EQ(list->currentIndex(), 2);

    // The panel's list chooses as the menu does.
    list->activated(1);
    EXPECT_EQ(viewer.view.colourBy.value, "AU");
    EXPECT_FALSE(viewer.view.legend.categories);
    EXPECT_TRUE(viewer.Checked(kCommandColourByValue1));
    // A value entry past the scene's values changes nothing.
    viewer.Choose(kCommandColourByValue1 + 5);
    EXPECT_EQ(viewer.view.colourBy.value, "AU");

    viewer.Choose(kCommandColourMap1 + 1);
    EXPECT_EQ(static_cast<int>(viewer.view.colourBy.map), 1);
    EXPECT_TRUE(viewer.Checked(kCommandColourMap1 + 1));
    EXPECT_FALSE(viewer.Checked(kCommandColourMap1));

    viewer.Choose(kCommandOwnColours);
    EXPECT_TRUE(viewer.view.colourBy.value.empty());
    EXPECT_FALSE(viewer.view.legend.shown);
    EXPECT_EQ(list->currentIndex(), 0);

    viewer.Choose(kCommandColourByValue1);
    viewer.Choose(kCommandNew);  // the dialog is cancelled: an empty scene
    EXPECT_TRUE(viewer.view.colourBy.value.empty());
    EXPECT_FALSE(viewer.view.legend.shown);
    EXPECT_EQ(static_cast<int>(viewer.view.colourBy.map), 1);  // the map chosen stays
    EXPECT_EQ(list->count(), 1);
    EXPECT_TRUE(viewer.Checked(kCommandOwnColours));
}

TEST_F(DataFileCommands, ALoadAndAReloadColourNewObjectsByTheValueChosen) {
    Viewer viewer(kLanguageEnglish);
    ChooseSet(viewer);
    viewer.Choose(kCommandOpenAdd);
    viewer.Choose(kCommandColourByValue1);  // AU
    const Legend before = viewer.view.legend;
    EXPECT_EQ(std::pair(before.low, before.high), std::pair(1.5, 3.5));

    // A change of the interval table reads the whole set again, with the new limits.
    {
        std::ofstream(viewer.written[2], std::ios::binary) << "HOLEID,FROM,TO,AU,LITH\nA,0,10,0.5,oxide\n";
    }
    ASSERT_TRUE(ReloadLoadedFiles(viewer.ctx));
    // Hole B, without intervals now, has no length left and no object.
    EXPECT_EQ(viewer.scene.objectNames, std::vector<std::string>{"A"});
    EXPECT_TRUE(viewer.view.legend.shown);
    EXPECT_EQ(std::pair(viewer.view.legend.low, viewer.view.legend.high), std::pair(0.5, 0.5));
}

TEST_F(DataFileCommands, EveryColourMapHasItsCommandAndName) {
    for (int k = 0; k < kColourMapCount; ++k) {
        const std::string name = std::string("colour-map-") + ColourMapName(static_cast<ColourMap>(k));
        EXPECT_EQ(CommandOfName(name), std::optional<int32_t>(kCommandColourMap1 + k)) << name;
        EXPECT_TRUE(IsMenuIdentifier(kCommandColourMap1 + k));
    }
    EXPECT_FALSE(IsMenuIdentifier(kCommandColourMap1 + kColourMapCount));
    EXPECT_FALSE(IsMenuIdentifier(kCommandColourByValue1));  // they change with the scene
}

TEST_F(DataFileCommands, TheViewerTakesTheCommandLineAsOnePathOrAsSeveralFiles) {
    const std::string folder = ::testing::TempDir() + "viewer_words_" + std::to_string(::getpid());
    std::filesystem::create_directories(folder);
    const std::string spaced = folder + "/a b.KDX";
    std::ofstream(spaced) << "x";
    CommandLine line;
    // A path with a space, split by the shell, names one file.
    ASSERT_FALSE(ParseCommandLine({folder + "/a", "b.KDX"}, line).Failed());
    EXPECT_EQ(ViewerFiles(line), std::vector<std::string>{spaced});
    // Words that are no file together are files of their own.
    ASSERT_FALSE(ParseCommandLine({"collars.csv", "surveys.csv"}, line).Failed());
    EXPECT_EQ(ViewerFiles(line), (std::vector<std::string>{"collars.csv", "surveys.csv"}));
    ASSERT_FALSE(ParseCommandLine({"one.KDX"}, line).Failed());
    EXPECT_EQ(ViewerFiles(line), std::vector<std::string>{"one.KDX"});
    ASSERT_FALSE(ParseCommandLine({}, line).Failed());
    EXPECT_TRUE(ViewerFiles(line).empty());
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace talan
