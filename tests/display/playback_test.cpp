// Playback arithmetic: the sample shown as the clock runs, the scroll bar and the speed slider.

#include <gtest/gtest.h>

#include <cstdint>

#include "display/playback.h"

namespace quarvel {
namespace {

constexpr int32_t kSamples = 1000;
constexpr double kStep = 0.01;  // 1000 samples of 0.01 s: a record of 10 s

// A playback started at `clock` from the scroll position with the slider at `slider`.
PlaybackState Started(double clock, int32_t scroll, int32_t slider) {
  PlaybackState state;
  state.playing = true;
  state.playSpeedSetting = slider;
  state.playStart = PlayStartForScroll(clock, scroll, kSamples, kStep, slider);
  return state;
}

TEST(PlaybackTest, SpeedFactorOfEverySliderValue) {
  struct Row {
    int32_t slider;
    double factor;
  };
  const Row rows[] = {{-9, 0.1}, {-3, 0.25}, {-1, 0.5}, {0, 1.0}, {1, 2.0}, {4, 5.0}, {9, 10.0}};
  for (const Row& row : rows) EXPECT_DOUBLE_EQ(SpeedFactor(row.slider), row.factor) << row.slider;
}

TEST(PlaybackTest, RecordLastsItsLengthDividedByTheSpeed) {
  // The last sample shows at 10 s / factor of clock time; just after it, k passes N.
  struct Row {
    int32_t slider;
    double seconds;
  };
  const Row rows[] = {{9, 1.0}, {0, 10.0}, {-9, 100.0}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.slider);
    const double t0 = 1000.0;
    PlaybackState state = Started(t0, 0, row.slider);
    EXPECT_EQ(AdvancePlayback(state, t0 + row.seconds / 2, row.slider, kStep), kSamples / 2);
    EXPECT_EQ(AdvancePlayback(state, t0 + row.seconds, row.slider, kStep), kSamples);
    EXPECT_GT(AdvancePlayback(state, t0 + row.seconds * 1.001, row.slider, kStep), kSamples);
  }
}

TEST(PlaybackTest, NoFrameUntilHalfATimeStepHasPassed) {
  PlaybackState state = Started(500.0, 0, 0);
  EXPECT_EQ(AdvancePlayback(state, 500.0, 0, kStep), 0);
  EXPECT_EQ(AdvancePlayback(state, 500.004, 0, kStep), 0);
  EXPECT_EQ(AdvancePlayback(state, 500.006, 0, kStep), 1);
}

TEST(PlaybackTest, PlayContinuesFromTheScrollPosition) {
  // Play restarts from 0 only from kRestartScrollPosition on; 990 continues at 99 %.
  ASSERT_EQ(kRestartScrollPosition, 991);
  PlaybackState state = Started(200.0, 990, 0);
  EXPECT_EQ(AdvancePlayback(state, 200.0, 0, kStep), 990);
  EXPECT_EQ(AdvancePlayback(state, 200.05, 0, kStep), 995);
  // The end of a record leaves the scroll bar where the next Play starts again from 0.
  EXPECT_GE(ScrollPositionOfSample(kSamples, kSamples), kRestartScrollPosition);
  EXPECT_GE(ScrollPositionOfSample(7, 7), kRestartScrollPosition);
  EXPECT_LT(ScrollPositionOfSample(990, kSamples), kRestartScrollPosition);
}

TEST(PlaybackTest, SliderChangeKeepsTheSampleAndChangesThePace) {
  const double t0 = 3000.0;
  PlaybackState state = Started(t0, 0, 0);
  ASSERT_EQ(AdvancePlayback(state, t0 + 4.0, 0, kStep), 400);
  ChangePlaybackSpeed(state, 9);
  EXPECT_EQ(state.playSpeedSetting, 9);
  EXPECT_EQ(AdvancePlayback(state, t0 + 4.0, 9, kStep), 400);
  EXPECT_EQ(AdvancePlayback(state, t0 + 4.1, 9, kStep), 500);
  ChangePlaybackSpeed(state, -9);
  EXPECT_EQ(AdvancePlayback(state, t0 + 4.1, -9, kStep), 500);
  EXPECT_EQ(AdvancePlayback(state, t0 + 5.1, -9, kStep), 510);
}

TEST(PlaybackTest, ScrollingDuringPlaybackJumpsAndContinuesFromThere) {
  const double t0 = 70.0;
  PlaybackState state = Started(t0, 0, 1);
  ASSERT_EQ(AdvancePlayback(state, t0 + 1.0, 1, kStep), 200);
  const int32_t k = SampleOfScrollPosition(750, kSamples);
  ASSERT_EQ(k, 750);
  state.playStart = PlayStartForSample(t0 + 1.0, k, kStep, 1);
  EXPECT_EQ(AdvancePlayback(state, t0 + 1.0, 1, kStep), 750);
  EXPECT_EQ(AdvancePlayback(state, t0 + 1.5, 1, kStep), 850);
}

TEST(PlaybackTest, PlaybackAcrossMidnightContinuesWithoutAJump) {
  PlaybackState state = Started(kSecondsPerDay - 0.5, 0, 0);
  ASSERT_EQ(AdvancePlayback(state, kSecondsPerDay - 0.25, 0, kStep), 25);
  EXPECT_EQ(AdvancePlayback(state, 0.0, 0, kStep), 50);
  EXPECT_EQ(AdvancePlayback(state, 0.5, 0, kStep), 100);
  EXPECT_EQ(AdvancePlayback(state, 1.0, 0, kStep), 150);
}

TEST(PlaybackTest, ScrollPositionsAndSamples) {
  struct Row {
    int32_t k;
    int32_t n;
    int32_t scroll;
  };
  // The integer part of k * 1000 / N.
  const Row rows[] = {{1, 3, 333}, {2, 3, 666}, {3, 3, 1000}, {1, 1000, 1}, {999, 1000, 999},
                      {1, 7000, 0}, {0, 0, 0}};
  for (const Row& row : rows) {
    EXPECT_EQ(ScrollPositionOfSample(row.k, row.n), row.scroll) << row.k << "/" << row.n;
  }
  // v / 1000 * N rounded half-even: 500 of 5 samples is 2.5 -> 2, 700 of 5 is 3.5 -> 4.
  EXPECT_EQ(SampleOfScrollPosition(500, 5), 2);
  EXPECT_EQ(SampleOfScrollPosition(700, 5), 4);
  EXPECT_EQ(SampleOfScrollPosition(1000, 501), 501);
  EXPECT_EQ(SampleOfScrollPosition(0, 501), 0);
  // Large records do not overflow.
  EXPECT_EQ(ScrollPositionOfSample(2000000000, 2000000000), 1000);
}

TEST(PlaybackTest, ProgressTextIsSampleSlashCount) {
  EXPECT_EQ(ProgressText(250, 1000), "250/1000");
  EXPECT_EQ(ProgressText(1, 1), "1/1");
}

}  // namespace
}  // namespace quarvel
