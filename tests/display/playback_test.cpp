// Playback arithmetic: the sample shown as the clock runs at each speed and across midnight.
// Scrolling, the slider and the restart from the end are driven through the window's widgets
// in the app tests.

#include <gtest/gtest.h>

#include "display/playback.h"

namespace quarvel {
namespace {

constexpr int32_t kSamples = 1000;
constexpr double kStep = 0.01;  // 1000 samples of 0.01 s: a record of 10 s

PlaybackState Started(double clock, int32_t slider) {
  PlaybackState state;
  state.playSpeedSetting = slider;
  state.playStart = PlayStartForScroll(clock, 0, kSamples, kStep, slider);
  return state;
}

TEST(PlaybackTest, RecordLastsItsLengthDividedByTheSpeed) {
  const std::pair<int32_t, double> rows[] = {{9, 1.0}, {0, 10.0}, {-9, 100.0}};  // 10/1, 1/1, 1/10
  for (const auto& [slider, seconds] : rows) {
    PlaybackState state = Started(1000.0, slider);
    EXPECT_EQ(AdvancePlayback(state, 1000.0 + seconds / 2, slider, kStep), 500) << slider;
    EXPECT_EQ(AdvancePlayback(state, 1000.0 + seconds, slider, kStep), kSamples) << slider;
    EXPECT_GT(AdvancePlayback(state, 1000.0 + seconds * 1.001, slider, kStep), kSamples);
  }
  PlaybackState state = Started(500.0, 0);  // no frame until half a time step has passed
  EXPECT_EQ(AdvancePlayback(state, 500.004, 0, kStep), 0);
  EXPECT_EQ(AdvancePlayback(state, 500.006, 0, kStep), 1);
  EXPECT_EQ(ScrollPositionOfSample(2, 3), 666);  // integer part, not rounded
}

TEST(PlaybackTest, PlaybackAcrossMidnightContinuesWithoutAJump) {
  PlaybackState state = Started(kSecondsPerDay - 0.5, 0);
  ASSERT_EQ(AdvancePlayback(state, kSecondsPerDay - 0.25, 0, kStep), 25);
  EXPECT_EQ(AdvancePlayback(state, 0.0, 0, kStep), 50);
  EXPECT_EQ(AdvancePlayback(state, 1.0, 0, kStep), 150);
}

}  // namespace
}  // namespace quarvel
