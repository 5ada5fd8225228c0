// Playback: the sample shown as the clock runs, at each pace and across midnight. Scrolling, the
// slider, Pause and Stop while playing are driven through the window in the app tests.

#include <gtest/gtest.h>

#include <utility>
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

// Started at clock reading `start` with the slider at `slider`; per turn the clock reading and
// the sample shown (0: none yet, kEnded: playing ended).
struct Row { const char* name; double start; int32_t slider; std::vector<std::pair<double, int32_t>> turns;
    PlaybackRecord record = kRecord; };

TEST(PlaybackTest, SampleShownAsTheClockRuns) {
  const Row rows[] = {
      // The record lasts 10 s over the pace: 10 at slider 9, 1/2 at -1, 1/10 at -9.
      {"Pace10", 1000, 9, {{1000.5, 500}, {1001, 1000}, {1001.001, kEnded}}},
      {"PaceHalf", 1000, -1, {{1010, 500}}},
      {"PaceTenth", 1000, -9, {{1050, 500}, {1100.1, kEnded}}},
      // Nothing is drawn until half a time step has passed.
      {"FirstFrame", 500, 0, {{500.004, 0}, {500.006, 1}}},
      {"AcrossMidnight", kSecondsPerDay - 0.5, 0, {{kSecondsPerDay - 0.25, 25}, {0, 50}, {1, 150}}},
      // Without a positive time step the clock never reaches the end: playing ends at once.
      {"NoPositiveTimeStep", 1000, 0, {{1001, kEnded}}, {1000, -0.01}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    SetClock clock;
    clock.now = row.start;
    Playback playback;
    playback.Start(clock, 0, row.record, row.slider);
    for (const auto& [now, want] : row.turns) {
      clock.now = now;
      const int32_t before = playback.Frame().value_or(0);
      const PlaybackTurn turn = playback.Advance(clock, row.slider, row.record);
      EXPECT_EQ(turn.ended ? kEnded : turn.k, want) << now;
      EXPECT_EQ(playback.Playing(), !turn.ended);
      EXPECT_EQ(playback.Frame().value_or(0), want > 0 ? want : before);
    }
  }
  SetClock clock;  // paused, a scroll shows that sample
  Playback paused;
  paused.Start(clock, 0, kRecord, 0);
  paused.Pause();
  paused.ScrollTo(300, clock, kRecord.timeStep, 0);
  EXPECT_EQ(paused.Frame(), 300);
  // Scroll positions: the integer part of k * 1000 / N; samples rounded half to even.
  EXPECT_EQ(ScrollPositionOfSample(2, 3), 666);
  EXPECT_EQ(ScrollPositionOfSample(1, 0), 0);
  EXPECT_EQ(SampleOfScrollPosition(500, 503), 252);
}

}  // namespace
}  // namespace quarvel
