// Playback: the sample shown as the clock runs, at each pace, across midnight, from a scroll
// position, after the slider or the scroll bar moved, and the frame the graph is drawn at. The
// window's wiring of the buttons, slider and scroll bar is driven in the app tests.

#include <gtest/gtest.h>

#include <vector>

#include "display/playback.h"

namespace quarvel {
namespace {

constexpr PlaybackRecord kRecord{1000, 0.01};  // 1000 samples of 0.01 s: a record of 10 s
constexpr int32_t kEnded = -1;

// Reads whatever the test set last.
struct SetClock : PlaybackClock {
  double SecondsSinceMidnight() override { return now; }
  double now = 0.0;
};

// At clock reading `now`: 't' a turn, 'v' the slider moved to `value`, 's' the scroll bar moved to
// sample `value`, 'p' Pause, 'x' Stop. `want` is the sample a turn shows (0: none yet, kEnded:
// playing ended), after the others the frame the graph shows (0: the whole response).
struct Step { double now; char what; int32_t value, want; };

struct Row { const char* name; double start; int32_t scroll, slider; std::vector<Step> steps;
    PlaybackRecord record = kRecord; };

TEST(PlaybackTest, SampleShownAsTheClockRuns) {
  const Row rows[] = {
      // The record lasts 10 s over the pace: 10 at slider 9, 1/2 at -1, 1/10 at -9 (2 at 1 and
      // a start from a scroll position are played in the window's tests).
      {"Pace10", 1000, 0, 9,
       {{1000.5, 't', 0, 500}, {1001, 't', 0, 1000}, {1001.001, 't', 0, kEnded}}},
      {"PaceHalf", 1000, 0, -1, {{1010, 't', 0, 500}}},
      {"PaceTenth", 1000, 0, -9, {{1050, 't', 0, 500}, {1100.1, 't', 0, kEnded}}},
      // Nothing is drawn until half a time step has passed.
      {"FirstFrame", 500, 0, 0, {{500.004, 't', 0, 0}, {500.006, 't', 0, 1}}},
      {"AcrossMidnight", kSecondsPerDay - 0.5, 0, 0,
       {{kSecondsPerDay - 0.25, 't', 0, 25}, {0, 't', 0, 50}, {1, 't', 0, 150}}},
      // The slider keeps the sample reached and changes the pace from there.
      {"SliderMoved", 1000, 0, 0,
       {{1001, 't', 0, 100}, {1001, 'v', 9, 100}, {1001.5, 't', 0, 600}, {1001.5, 'v', 0, 600},
        {1002, 't', 0, 650}}},
      // Scrolled while playing: that sample at once, and playing goes on from it at the pace.
      {"Scrolled", 1000, 0, 1,
       {{1000.5, 't', 0, 100}, {1000.5, 's', 300, 300}, {1001, 't', 0, 400}}},
      // Pause keeps the frame (a scroll shows another), Stop shows the whole response.
      {"PauseAndStop", 1000, 0, 0,
       {{1001, 't', 0, 100}, {1001, 'p', 0, 100}, {1002, 't', 0, kEnded}, {1002, 's', 300, 300},
        {1002, 'x', 0, 0}}},
      // Without a positive time step the clock never reaches the end: playing ends at once.
      {"NoPositiveTimeStep", 1000, 0, 0, {{1001, 't', 0, kEnded}}, {1000, -0.01}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    SetClock clock;
    clock.now = row.start;
    Playback playback;
    int32_t slider = row.slider;
    playback.Start(clock, row.scroll, row.record, slider);
    for (const Step& step : row.steps) {
      SCOPED_TRACE(step.now);
      clock.now = step.now;
      const int32_t before = playback.Frame().value_or(0);
      if (step.what == 't') {
        const PlaybackTurn turn = playback.Advance(clock, slider, row.record);
        EXPECT_EQ(turn.ended ? kEnded : turn.k, step.want);
        EXPECT_EQ(playback.Playing(), !turn.ended);
        EXPECT_EQ(playback.Frame().value_or(0), step.want > 0 ? step.want : before);
        continue;
      }
      if (step.what == 'v') playback.ChangeSpeed(slider = step.value);
      if (step.what == 's') playback.ScrollTo(step.value, clock, row.record.timeStep, slider);
      if (step.what == 'p') playback.Pause();
      if (step.what == 'x') playback.Stop();
      EXPECT_EQ(playback.Frame().value_or(0), step.want);
    }
  }
  // Scroll positions: the integer part of k * 1000 / N; samples rounded half to even.
  EXPECT_EQ(ScrollPositionOfSample(2, 3), 666);
  EXPECT_EQ(ScrollPositionOfSample(1, 0), 0);
  EXPECT_EQ(SampleOfScrollPosition(500, 501), 250);
  EXPECT_EQ(SampleOfScrollPosition(500, 503), 252);
}

}  // namespace
}  // namespace quarvel
