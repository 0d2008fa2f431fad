// How the viewer paces its frames: while the view moves, frames are drawn smaller
// (and from reduced copies) so that each keeps up with the mouse; once it is still,
// the full picture follows, in pieces between turns of the event loop when it takes
// longer than one turn should.
#pragma once

#include <cstdint>

namespace talan {

// What a frame drawn while the view moves should take at most, and what it aims at.
inline constexpr double kMovingFrameSeconds = 0.1;
inline constexpr double kMovingFrameAim = 0.06;
// How long after the last drag step or wheel notch the view counts as still.
inline constexpr int kSettleMilliseconds = 150;
// The time the full picture's pieces take in one turn of the event loop.
inline constexpr double kPiecesPerTurnSeconds = 0.04;
// A full picture slower than this shows a quick frame first, and its progress.
inline constexpr double kSlowPictureSeconds = 0.1;

// The smallest share of the window's width a moving frame is drawn at.
inline constexpr float kLeastMovingScale = 0.2f;

// The scale of the next moving frame from the last one's scale and time: the pixels
// grow or shrink by the ratio of the aim to the time taken (by at most a quarter
// more at a time, so one quick frame does not overshoot), within
// [kLeastMovingScale, 1].
float NextMovingScale(float scale, double seconds);

// A size scaled down, never below one pixel.
inline int32_t ScaledSize(int32_t size, float scale) {
    const auto scaled = static_cast<int32_t>(static_cast<float>(size) * scale + 0.5f);
    return scaled < 1 ? 1 : scaled;
}

}  // namespace talan
