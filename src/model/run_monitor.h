#pragma once
// Watches integrations from another thread: how many samples the passes have computed, and a
// request to stop them. A pass reports every kStride samples, so it sees a request within that
// many samples; the arithmetic of a pass never depends on its monitor.

#include <atomic>
#include <cstdint>

namespace quarvel {

class RunMonitor {
 public:
  static constexpr int32_t kStride = 4096;

  // No samples counted, no stop asked: before new work.
  void Reset() noexcept {
    samples_.store(0);
    cancelled_.store(false);
  }
  // Asks every pass that reports to it to end at its next report.
  void Cancel() noexcept { cancelled_.store(true); }
  bool Cancelled() const noexcept { return cancelled_.load(); }
  int64_t SamplesDone() const noexcept { return samples_.load(std::memory_order_relaxed); }

  // Counts `samples` more computed; false when the passes are to stop.
  bool Report(int64_t samples) noexcept {
    samples_.fetch_add(samples, std::memory_order_relaxed);
    return !Cancelled();
  }

 private:
  std::atomic<int64_t> samples_{0};
  std::atomic<bool> cancelled_{false};
};

}  // namespace quarvel
