#pragma once
// Playback arithmetic: the pace factor of the speed slider, the sample shown at a clock
// reading, the scroll-bar position of a sample, and the re-timing when the user scrolls or
// changes the speed. The loop itself belongs to the window; this is what it computes.

#include <cstdint>
#include <string>

namespace quarvel {

// Seconds since midnight, as the playback clock reads them (single precision widened to
// double; returns to 0 at midnight).
class PlaybackClock {
 public:
  virtual ~PlaybackClock() = default;
  virtual double SecondsSinceMidnight() = 0;
};

inline constexpr double kSecondsPerDay = 86400.0;
inline constexpr int32_t kScrollMaximum = 1000;
inline constexpr int32_t kRestartScrollPosition = 991;  // Play from here restarts at 0

// Pace of a slider value s in -9..9: s + 1 for s >= 1, 1 for 0, 1 / (1 - s) below 0.
double SpeedFactor(int32_t sliderValue);

struct PlaybackState {
  bool playing = false;
  bool pauseRequested = false;
  bool stopRequested = false;
  int32_t playSpeedSetting = 0;  // slider value playStart was computed with
  double playStart = 0.0;        // clock reading at which the record would have started
  double playNow = 0.0;          // last clock reading of the loop
  double playElapsed = 0.0;      // record time reached
};

// Clock reading at which the record would have started for the scroll position to be shown now.
double PlayStartForScroll(double clock, int32_t scrollPosition, int32_t sampleCount,
                          double timeStep, int32_t sliderValue);

// One turn of the play loop's clock arithmetic: reads the clock into playNow (moving playStart
// back a day when midnight has passed), sets playElapsed and returns the sample k to show.
int32_t AdvancePlayback(PlaybackState& state, double clock, int32_t sliderValue, double timeStep);

// Scroll-bar position of sample k: the integer part of k * 1000 / N.
int32_t ScrollPositionOfSample(int32_t k, int32_t sampleCount);

// Sample shown at a scroll position: v / 1000 * N rounded half-even.
int32_t SampleOfScrollPosition(int32_t scrollPosition, int32_t sampleCount);

// After the user scrolled to sample k during playback: the new playStart.
double PlayStartForSample(double clock, int32_t k, double timeStep, int32_t sliderValue);

// After the slider moved during playback: keeps the record time reached, changes the pace.
void ChangePlaybackSpeed(PlaybackState& state, int32_t newSliderValue);

// "k/N" for the progress label.
std::string ProgressText(int32_t k, int32_t sampleCount);

}  // namespace quarvel
