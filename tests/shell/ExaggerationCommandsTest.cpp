// Vertical exaggeration as the user reaches it: the steps of the menu and the keys,
// the status line, and --exaggeration on the command line. The picture stretches; the
// slab, like every number shown, stays in file units.
#include <gtest/gtest.h>

#include <vector>

// The shell's headers bring the GL declarations; Qt's must come after them.
#include "QtTestApplication.h"
#include "ShellViewer.h"
#include "TestHelpers.h"
#include "shell/CommandLine.h"
#include "shell/CommandNames.h"
#include "shell/Exaggeration.h"

namespace talan {
namespace {

using testing::TagLine, testing::Viewer;
using ExaggerationCommands = testing::QtApplicationTest;

TEST(Exaggeration, StepsKeysAndTheCommandLineOption) {
    // Up and down through 1, 1.5, 2, 3, 5, 10, stopping at the ends; a factor between
    // steps goes to the next one the way asked, one beyond them only back towards them.
    std::vector<float> ups, downs;
    for (float up = 1.0f, down = 10.0f; ups.size() < 6;) {
        ups.push_back(up = SteppedExaggeration(up, true));
        downs.push_back(down = SteppedExaggeration(down, false));
    }
    EXPECT_EQ(ups, (std::vector<float>{1.5f, 2, 3, 5, 10, 10}));
    EXPECT_EQ(downs, (std::vector<float>{5, 3, 2, 1.5f, 1, 1}));
    EXPECT_EQ((std::vector<float>{SteppedExaggeration(4, true), SteppedExaggeration(4, false),
                                  SteppedExaggeration(0.5f, true), SteppedExaggeration(0.5f, false),
                                  SteppedExaggeration(20, false), SteppedExaggeration(20, true)}),
              (std::vector<float>{5, 3, 1, 0.5f, 10, 20}));

    // Ctrl+Up and Ctrl+Down, in the window and in input scripts; the arrows alone are not ours.
    EXPECT_EQ(CommandOfStroke({Key::Up, true, false, false}), kCommandExaggerationUp);
    EXPECT_EQ(CommandOfStroke({*KeyOfName("down"), true, false, false}), kCommandExaggerationDown);
    EXPECT_EQ(CommandOfStroke({Key::Up, false, false, false}), std::nullopt);
    EXPECT_EQ(CommandOfName("exaggeration-five"), kCommandExaggeration1 + 4);

    // --exaggeration F for pictures and picks, 0.1 to 100.
    CommandLine line;
    EXPECT_EQ(line.exaggeration, 1.0f);
    for (const char* value : {"0.1", "100", "2.5"}) {
        ASSERT_FALSE(ParseCommandLine({"--pick", "1,2", "--exaggeration", value, "a.KDX"}, line).Failed()) << value;
    }
    EXPECT_EQ(line.exaggeration, 2.5f);
    for (const char* value : {"0.09", "100.5", "-2", "nan", "x"}) {
        EXPECT_EQ(ParseCommandLine({"--render", "p.png", "--exaggeration", value, "a.KDX"}, line).message,
                  "bad value '" + std::string(value) + "' for --exaggeration; F runs from 0.1 to 100");
    }
    EXPECT_EQ(ParseCommandLine({"--info", "--exaggeration", "2", "a.KDX"}, line).message,
              "unknown option '--exaggeration' for --info");
}

// A wall of points and a shaft from 246 to 1049 high.
const std::string kWall = "\"Tavrin\"\n" + TagLine("PTS", 2) + "255,\nSurvey,\nx\n100,2000,246\n500,2000,1049\n" +
                          TagLine("LIN", 1) + "65280,\nShaft,\nx\n300,2000,246,300,2000,1049\n";

TEST_F(ExaggerationCommands, TheSlabStaysInFileUnitsAndTheLineShowsAFactorOtherThanOne) {
    Viewer viewer(2);
    viewer.Choose(kCommandExaggeration1 + 4);  // x5, before the load
    EXPECT_EQ(viewer.Status(), "Exaggeration ×5");
    viewer.Open(kCommandOpenAdd, kWall);
    // The slab across Z at the point looked at, brought within the wall: where it
    // would be with no exaggeration, in file units.
    viewer.view.cameraTarget = {300, 2000, 1697};
    viewer.Choose(kCommandSectionZ);
    EXPECT_EQ(viewer.Status(), "Section across Z = 1049.00, 40.15 thick     Exaggeration ×5");
    viewer.Choose(kCommandExaggerationUp);
    EXPECT_EQ(viewer.view.exaggeration, 10.0f);
    EXPECT_EQ(std::pair(viewer.Checked(kCommandExaggeration1 + 5), viewer.Checked(kCommandExaggeration1 + 4)),
              std::pair(true, false));
    viewer.Choose(kCommandExaggerationDown, kCommandExaggerationDown, kCommandExaggerationDown, kCommandExaggerationDown);
    viewer.shell.language = kLanguageSpanish;
    viewer.Choose(kCommandSectionForward);
    EXPECT_EQ(viewer.Status(), "Sección según Z = 1089.15, espesor 40.15 (nada visible en ella)     Exageración ×1.5");
    viewer.Choose(kCommandExaggerationDown);
    EXPECT_EQ(viewer.Status(), "Sección según Z = 1089.15, espesor 40.15 (nada visible en ella)");
    EXPECT_EQ(viewer.Checked(kCommandExaggeration1), true);
}

}  // namespace
}  // namespace talan
