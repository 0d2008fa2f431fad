// The scale of frames drawn while the view moves follows their times.
#include <gtest/gtest.h>

#include "shell/FramePacing.h"

namespace talan {
namespace {

TEST(FramePacing, MovingFramesShrinkWhenSlowAndGrowSlowlyWhenQuick) {
    // Four times too slow: half the width and height, a quarter of the pixels.
    EXPECT_NEAR(NextMovingScale(1.0f, 4 * kMovingFrameAim), 0.5f, 1e-6);
    EXPECT_NEAR(NextMovingScale(0.5f, kMovingFrameAim), 0.5f, 1e-6);
    // Quick frames grow by a quarter at most, never past the full size.
    EXPECT_NEAR(NextMovingScale(0.4f, kMovingFrameAim / 100), 0.5f, 1e-6);
    EXPECT_EQ(NextMovingScale(0.9f, kMovingFrameAim / 100), 1.0f);
    // Never below the least scale, whatever the time; a time of zero changes nothing.
    EXPECT_EQ(NextMovingScale(0.25f, 60.0), kLeastMovingScale);
    EXPECT_EQ(NextMovingScale(0.7f, 0.0), 0.7f);
    EXPECT_EQ(ScaledSize(1280, 0.5f), 640);
    EXPECT_EQ(ScaledSize(3, 0.2f), 1);
}

}  // namespace
}  // namespace talan
