#pragma once
// Playback of the current experiment's response: the pace factor of the speed slider, the
// sample shown at a clock reading, the scroll-bar position of a sample, the re-timing when the
// user scrolls or changes the speed, and the Playback that keeps where it stands and which
// frame the graph shows. What makes the turns come (a timer) belongs to the window.

#include <cstdint>
#include <optional>
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

// The record being played: N samples dt seconds apart.
struct PlaybackRecord {
  int32_t sampleCount = 0;
  double timeStep = 0.0;
};

// What one turn of playback asks for.
struct PlaybackTurn {
  bool ended = false;  // past the end of the record: playing has stopped, the last frame stays
  int32_t k = 0;       // the sample to show; 0 (nothing to draw) until half a time step has passed
};

// Where the playback stands and which frame of the response the graph shows. Every surface
// that draws the graph asks Frame(): while playing, after Pause, after a scroll and at the end
// of the record it is the sample last shown; at start, after Stop and once a new response is
// shown it is empty, and the graph shows the whole response.
class Playback {
 public:
  bool Playing() const { return state_.playing; }
  std::optional<int32_t> Frame() const { return frame_; }

  // Play: from the scroll position, at the slider's pace.
  void Start(PlaybackClock& clock, int32_t scrollPosition, PlaybackRecord record,
             int32_t sliderValue);
  // One turn: the sample the clock has reached. Beyond the end of the record (and at once for a
  // record without a positive time step, which has no end to reach) playing stops.
  PlaybackTurn Advance(PlaybackClock& clock, int32_t sliderValue, PlaybackRecord record);
  // Pause stops playing and keeps the frame; Stop shows the whole response again (also what a
  // new response asks for).
  void Pause();
  void Stop();
  // The scroll bar went to sample k: that frame is shown, and a running playback goes on from
  // there (the clock is read only then).
  void ScrollTo(int32_t k, PlaybackClock& clock, double timeStep, int32_t sliderValue);
  // The slider moved: while playing, the record time reached stays and only the pace changes.
  void ChangeSpeed(int32_t sliderValue);

 private:
  PlaybackState state_;
  std::optional<int32_t> frame_;
};

}  // namespace quarvel
