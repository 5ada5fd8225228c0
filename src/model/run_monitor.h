#pragma once
// Watches integrations from another thread: how many samples the passes have computed, and a
// request to stop them. A pass reports every kStride samples, so it sees a request within that
// many samples; the arithmetic of a pass never depends on its monitor.

#include <atomic>
#include <cstdint>
#include <functional>

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

  // Counts `samples` more computed; false when the passes are to stop. Asks the owner's poll
  // first, when it set one.
  bool Report(int64_t samples) {
    samples_.fetch_add(samples, std::memory_order_relaxed);
    if (poll_) poll_();
    return !Cancelled();
  }

  // Lets an owner that cannot be told of a cancel by a signal handler look for one at each
  // report (the Python module checks Python's signals there). The poll runs on the reporting
  // thread and may cancel; set it before the passes start.
  void SetPoll(std::function<void()> poll) { poll_ = std::move(poll); }

 private:
  std::atomic<int64_t> samples_{0};
  std::atomic<bool> cancelled_{false};
  std::function<void()> poll_;
};

}  // namespace quarvel
