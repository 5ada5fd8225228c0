// Playback arithmetic: the sample shown as the clock runs, the scroll bar and the speed slider.

#include <gtest/gtest.h>

#include "display/playback.h"

namespace quarvel {
namespace {

constexpr int32_t kSamples = 1000;
constexpr double kStep = 0.01;  // 1000 samples of 0.01 s: a record of 10 s

PlaybackState Started(double clock, int32_t scroll, int32_t slider) {
  PlaybackState state;
  state.playSpeedSetting = slider;
  state.playStart = PlayStartForScroll(clock, scroll, kSamples, kStep, slider);
  return state;
}

TEST(PlaybackTest, RecordLastsItsLengthDividedByTheSpeed) {
  const std::pair<int32_t, double> rows[] = {{9, 1.0}, {0, 10.0}, {-9, 100.0}};  // 10/1, 1/1, 1/10
  for (const auto& [slider, seconds] : rows) {
    PlaybackState state = Started(1000.0, 0, slider);
    EXPECT_EQ(AdvancePlayback(state, 1000.0 + seconds / 2, slider, kStep), 500) << slider;
    EXPECT_EQ(AdvancePlayback(state, 1000.0 + seconds, slider, kStep), kSamples) << slider;
    EXPECT_GT(AdvancePlayback(state, 1000.0 + seconds * 1.001, slider, kStep), kSamples);
  }
}

TEST(PlaybackTest, NoFrameUntilHalfATimeStepHasPassed) {
  PlaybackState state = Started(500.0, 0, 0);
  EXPECT_EQ(AdvancePlayback(state, 500.004, 0, kStep), 0);
  EXPECT_EQ(AdvancePlayback(state, 500.006, 0, kStep), 1);
}

TEST(PlaybackTest, PlayFrom990ContinuesAndTheEndOfTheRecordRestarts) {
  PlaybackState state = Started(200.0, 990, 0);
  EXPECT_EQ(AdvancePlayback(state, 200.05, 0, kStep), 995);
  EXPECT_LT(990, kRestartScrollPosition);
  EXPECT_EQ(kRestartScrollPosition, 991);
  // The last frame leaves the scroll bar where the next Play starts from 0.
  EXPECT_GE(ScrollPositionOfSample(kSamples, kSamples), kRestartScrollPosition);
  EXPECT_EQ(ScrollPositionOfSample(2, 3), 666);  // integer part, not rounded
}

TEST(PlaybackTest, SliderChangeKeepsTheSampleAndChangesThePace) {
  PlaybackState state = Started(3000.0, 0, 0);
  ASSERT_EQ(AdvancePlayback(state, 3004.0, 0, kStep), 400);
  ChangePlaybackSpeed(state, 9);
  EXPECT_EQ(AdvancePlayback(state, 3004.0, 9, kStep), 400);
  EXPECT_EQ(AdvancePlayback(state, 3004.1, 9, kStep), 500);
  ChangePlaybackSpeed(state, -9);
  EXPECT_EQ(AdvancePlayback(state, 3005.1, -9, kStep), 510);
}

TEST(PlaybackTest, ScrollingDuringPlaybackJumpsAndContinuesFromThere) {
  PlaybackState state = Started(70.0, 0, 1);
  ASSERT_EQ(AdvancePlayback(state, 71.0, 1, kStep), 200);
  const int32_t k = SampleOfScrollPosition(750, kSamples);
  state.playStart = PlayStartForSample(71.0, k, kStep, 1);
  EXPECT_EQ(AdvancePlayback(state, 71.5, 1, kStep), 850);
  EXPECT_EQ(SampleOfScrollPosition(500, 5), 2);  // 2.5 rounds to even
}

TEST(PlaybackTest, PlaybackAcrossMidnightContinuesWithoutAJump) {
  PlaybackState state = Started(kSecondsPerDay - 0.5, 0, 0);
  ASSERT_EQ(AdvancePlayback(state, kSecondsPerDay - 0.25, 0, kStep), 25);
  EXPECT_EQ(AdvancePlayback(state, 0.0, 0, kStep), 50);
  EXPECT_EQ(AdvancePlayback(state, 1.0, 0, kStep), 150);
}

}  // namespace
}  // namespace quarvel
