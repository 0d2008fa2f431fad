// The axes triad and scale bar as the user switches them: the View menu's entry, its
// --command name, and --no-overlay for pictures and picks.
#include <gtest/gtest.h>

// The shell's headers bring the GL declarations; Qt's must come after them.
#include "QtTestApplication.h"
#include "ShellViewer.h"
#include "TestHelpers.h"
#include "shell/CommandLine.h"
#include "shell/CommandNames.h"

namespace talan {
namespace {

using testing::Viewer;
using OverlayCommands = testing::QtApplicationTest;

TEST_F(OverlayCommands, TheViewEntryAndTheCommandLineSwitchIt) {
    Viewer viewer(2);
    EXPECT_TRUE(viewer.view.overlay) << "on at start";
    EXPECT_TRUE(viewer.Checked(kCommandOverlay));
    viewer.Choose(kCommandOverlay);
    EXPECT_EQ(std::pair(viewer.view.overlay, viewer.Checked(kCommandOverlay)), std::pair(false, false));
    viewer.Choose(kCommandOverlay);
    EXPECT_EQ(std::pair(viewer.view.overlay, viewer.Checked(kCommandOverlay)), std::pair(true, true));

    EXPECT_EQ(CommandOfName("overlay"), std::optional<int32_t>(kCommandOverlay));
    EXPECT_TRUE(IsMenuIdentifier(kCommandOverlay));
    CommandLine line;
    ASSERT_FALSE(ParseCommandLine({"--render", "p.png", "a.KDX"}, line).Failed());
    EXPECT_FALSE(line.noOverlay);
    ASSERT_FALSE(ParseCommandLine({"--render", "p.png", "--no-overlay", "a.KDX"}, line).Failed());
    EXPECT_TRUE(line.noOverlay);
    ASSERT_FALSE(ParseCommandLine({"--pick", "1,2", "--no-overlay", "--command", "overlay", "a.KDX"}, line).Failed());
    EXPECT_EQ(std::pair(line.noOverlay, line.commands), std::pair(true, std::vector<int32_t>{kCommandOverlay}));
    EXPECT_EQ(ParseCommandLine({"--info", "--no-overlay", "a.KDX"}, line).message,
              "unknown option '--no-overlay' for --info");
}

}  // namespace
}  // namespace talan
