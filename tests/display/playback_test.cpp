// Playback: the sample shown as the clock runs at each speed and across midnight, and the frame
// the graph is drawn at. Scrolling, the slider and the restart from the end are driven through
// the window's widgets in the app tests.

#include <gtest/gtest.h>

#include "display/playback.h"

namespace quarvel {
namespace {

constexpr PlaybackRecord kRecord{1000, 0.01};  // 1000 samples of 0.01 s: a record of 10 s

// Reads whatever the test set last.
struct SetClock : PlaybackClock {
  double SecondsSinceMidnight() override { return now; }
  double now = 0.0;
};

int32_t SampleAt(Playback& playback, SetClock& clock, double now, int32_t slider = 0) {
  clock.now = now;
  return playback.Advance(clock, slider, kRecord).k;
}

TEST(PlaybackTest, RecordLastsItsLengthDividedByTheSpeed) {
  const std::pair<int32_t, double> rows[] = {{9, 1.0}, {0, 10.0}, {-9, 100.0}};  // 10/1, 1/1, 1/10
  for (const auto& [slider, seconds] : rows) {
    SetClock clock;
    clock.now = 1000.0;
    Playback playback;
    playback.Start(clock, 0, kRecord, slider);
    EXPECT_EQ(SampleAt(playback, clock, 1000.0 + seconds / 2, slider), 500) << slider;
    EXPECT_EQ(SampleAt(playback, clock, 1000.0 + seconds, slider), 1000) << slider;
    EXPECT_TRUE(playback.Playing());
    SampleAt(playback, clock, 1000.0 + seconds * 1.001, slider);
    EXPECT_FALSE(playback.Playing()) << slider;
    EXPECT_EQ(playback.Frame(), 1000) << "the last frame stays";
  }
  EXPECT_EQ(ScrollPositionOfSample(2, 3), 666);  // integer part, not rounded
}

// No frame until half a time step has passed; Pause keeps the frame, Stop the whole response.
TEST(PlaybackTest, FrameFollowsTheTurnsUntilStop) {
  SetClock clock;
  clock.now = 500.0;
  Playback playback;
  EXPECT_FALSE(playback.Frame());
  playback.Start(clock, 0, kRecord, 0);
  EXPECT_EQ(SampleAt(playback, clock, 500.004), 0);
  EXPECT_FALSE(playback.Frame());
  EXPECT_EQ(SampleAt(playback, clock, 500.006), 1);
  playback.Pause();
  EXPECT_EQ(playback.Frame(), 1);
  playback.ScrollTo(300, clock, kRecord.timeStep, 0);
  EXPECT_EQ(playback.Frame(), 300);
  playback.Stop();
  EXPECT_FALSE(playback.Frame());
}

TEST(PlaybackTest, PlaybackAcrossMidnightContinuesWithoutAJump) {
  SetClock clock;
  clock.now = kSecondsPerDay - 0.5;
  Playback playback;
  playback.Start(clock, 0, kRecord, 0);
  ASSERT_EQ(SampleAt(playback, clock, kSecondsPerDay - 0.25), 25);
  EXPECT_EQ(SampleAt(playback, clock, 0.0), 50);
  EXPECT_EQ(SampleAt(playback, clock, 1.0), 150);
}

}  // namespace
}  // namespace quarvel
