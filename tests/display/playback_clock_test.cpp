// The playback clock's arithmetic against values worked by hand: the slider's pace, the sample
// the clock has reached (half-even, across midnight), the scroll bar's positions and the
// re-timing when the user scrolls or changes the pace.

#include <gtest/gtest.h>

#include "display/playback.h"

namespace quarvel {
namespace {

TEST(PlaybackClock, PaceOfTheSlider) {
  struct Row {
    int32_t slider;
    double pace;
  };
  const Row rows[] = {{.slider = 9, .pace = 10}, {.slider = 1, .pace = 2}, {.slider = 0, .pace = 1},
                      {.slider = -1, .pace = 0.5}, {.slider = -9, .pace = 0.1}};
  for (const Row& row : rows) EXPECT_DOUBLE_EQ(SpeedFactor(row.slider), row.pace) << row.slider;
}

TEST(PlaybackClock, SampleReachedAtAClockReading) {
  struct Row {
    const char* name;
    double start, clock;
    int32_t slider;
    double timeStep;
    int32_t sample;
    double elapsed, startAfter;
  };
  const Row rows[] = {
      {"one second at pace 1", 100, 101, 0, 0.25, 4, 1.0, 100},
      {"midnight passed: the start moves back a day", 86399.5, 0.5, 0, 0.25, 4, 1.0, -0.5},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    PlaybackState state{.playing = true, .playStart = row.start};
    EXPECT_EQ(AdvancePlayback(state, row.clock, row.slider, row.timeStep), row.sample);
    EXPECT_DOUBLE_EQ(state.playElapsed, row.elapsed);
    EXPECT_DOUBLE_EQ(state.playStart, row.startAfter);
  }
}

TEST(PlaybackClock, ScrollPositionsAndRetiming) {
  EXPECT_EQ(ScrollPositionOfSample(501, 501), 1000);
  EXPECT_EQ(ScrollPositionOfSample(250, 501), 499);  // 499.0 truncated
  EXPECT_EQ(ScrollPositionOfSample(3, 0), 0);
  EXPECT_EQ(SampleOfScrollPosition(500, 501), 250);  // 250.5 to even
  EXPECT_EQ(SampleOfScrollPosition(991, 1000), 991);
  // Half of 100 samples of 0.5 s is 25 s of record, 12.5 s of clock at pace 2.
  EXPECT_DOUBLE_EQ(PlayStartForScroll(10, 500, 100, 0.5, 1), -2.5);
  EXPECT_DOUBLE_EQ(PlayStartForSample(10, 50, 0.5, 1), -2.5);
  // Four seconds of record reached at pace 1 take two seconds of clock at pace 2.
  PlaybackState state{.playing = true, .playSpeedSetting = 0, .playStart = 6, .playNow = 10};
  ChangePlaybackSpeed(state, 1);
  EXPECT_DOUBLE_EQ(state.playStart, 8);
  EXPECT_EQ(state.playSpeedSetting, 1);
}

}  // namespace
}  // namespace quarvel
