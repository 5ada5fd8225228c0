#include "display/playback.h"

#include <cmath>
#include <limits>

#include "text/number_text.h"

namespace quarvel {
namespace {

// Rounds half-even into a 32-bit sample index; values beyond the range saturate.
int32_t RoundedIndex(double value) {
  int32_t k = 0;
  if (ToInt32(value, k)) return k;
  if (std::isnan(value)) return 0;
  return value > 0 ? std::numeric_limits<int32_t>::max() : std::numeric_limits<int32_t>::min();
}

}  // namespace

double SpeedFactor(int32_t sliderValue) {
  if (sliderValue >= 1) return sliderValue + 1.0;
  if (sliderValue == 0) return 1.0;
  return 1.0 / (1.0 - sliderValue);
}

double PlayStartForScroll(double clock, int32_t scrollPosition, int32_t sampleCount,
                          double timeStep, int32_t sliderValue) {
  const double recordTime = scrollPosition / 1000.0 * sampleCount * timeStep;
  return clock - recordTime / SpeedFactor(sliderValue);
}

int32_t AdvancePlayback(PlaybackState& state, double clock, int32_t sliderValue, double timeStep) {
  state.playNow = clock;
  if (state.playNow < state.playStart) state.playStart -= kSecondsPerDay;
  state.playElapsed = SpeedFactor(sliderValue) * (state.playNow - state.playStart);
  return RoundedIndex(state.playElapsed / timeStep);
}

int32_t ScrollPositionOfSample(int32_t k, int32_t sampleCount) {
  if (sampleCount <= 0) return 0;
  return static_cast<int32_t>(static_cast<int64_t>(k) * kScrollMaximum / sampleCount);
}

int32_t SampleOfScrollPosition(int32_t scrollPosition, int32_t sampleCount) {
  return RoundedIndex(scrollPosition / 1000.0 * sampleCount);
}

double PlayStartForSample(double clock, int32_t k, double timeStep, int32_t sliderValue) {
  return clock - k * timeStep / SpeedFactor(sliderValue);
}

void ChangePlaybackSpeed(PlaybackState& state, int32_t newSliderValue) {
  const double f0 = SpeedFactor(state.playSpeedSetting);
  const double f1 = SpeedFactor(newSliderValue);
  state.playStart = state.playNow - (state.playNow - state.playStart) * f0 / f1;
  state.playSpeedSetting = newSliderValue;
}

std::string ProgressText(int32_t k, int32_t sampleCount) {
  return std::to_string(k) + "/" + std::to_string(sampleCount);
}

void Playback::Start(PlaybackClock& clock, int32_t scrollPosition, PlaybackRecord record,
                     int32_t sliderValue) {
  state_.playing = true;
  state_.playSpeedSetting = sliderValue;
  state_.playStart = PlayStartForScroll(clock.SecondsSinceMidnight(), scrollPosition,
                                        record.sampleCount, record.timeStep, sliderValue);
}

PlaybackTurn Playback::Advance(PlaybackClock& clock, int32_t sliderValue, PlaybackRecord record) {
  PlaybackTurn turn;
  if (!state_.playing) {
    turn.ended = true;
    return turn;
  }
  turn.k = AdvancePlayback(state_, clock.SecondsSinceMidnight(), sliderValue, record.timeStep);
  if (turn.k > record.sampleCount || !(record.timeStep > 0.0)) {
    state_.playing = false;
    turn.ended = true;
    return turn;
  }
  if (turn.k >= 1) frame_ = turn.k;
  return turn;
}

void Playback::Pause() { state_.playing = false; }

void Playback::Stop() {
  state_.playing = false;
  frame_.reset();
}

void Playback::ScrollTo(int32_t k, PlaybackClock& clock, double timeStep, int32_t sliderValue) {
  frame_ = k;
  if (state_.playing) {
    state_.playStart = PlayStartForSample(clock.SecondsSinceMidnight(), k, timeStep, sliderValue);
  }
}

void Playback::ChangeSpeed(int32_t sliderValue) {
  if (state_.playing) ChangePlaybackSpeed(state_, sliderValue);
}

}  // namespace quarvel
