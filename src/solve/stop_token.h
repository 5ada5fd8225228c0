#pragma once
// The one way to ask long work to stop. The token belongs to whoever asks (the window with its
// Escape key and its closing, the command line with Ctrl-C); it lends the token to the work,
// which only reads it, and it alone clears it. The studies read it after each swept value, the
// advanced study also before each file of its series.

#include <atomic>
#include <functional>

namespace quarvel {

class StopToken {
 public:
  // Ends the study that runs now after its current value; the next study of a series still runs
  // once the owner has cleared this request (the window's Escape key).
  void RequestStudyStop() noexcept { Raise(kStudy); }
  // Ends the study that runs now and every later one of the same run (closing the window,
  // Ctrl-C). Safe to call from a signal handler.
  void RequestRunStop() noexcept { Raise(kRun); }

  // The owner clears before each study, so that a stale request never ends a study that has
  // not started: Clear forgets every request (a new run starts), ClearStudyStop only a request
  // to end the current study (the next file of a series starts; a request to end the run stays).
  void Clear() noexcept { level_.store(kNone); }
  void ClearStudyStop() noexcept {
    int expected = kStudy;
    level_.compare_exchange_strong(expected, kNone);
  }

  // Both ask the owner's poll first, when it set one.
  bool StudyStopRequested() const {
    if (poll_) poll_();
    return level_.load() != kNone;
  }
  bool RunStopRequested() const {
    if (poll_) poll_();
    return level_.load() == kRun;
  }

  // Lets an owner that cannot be told of a stop by a signal handler look for one whenever the
  // work asks (the Python module checks Python's signals there). The poll runs on the thread
  // that asks and may request a stop; set it before the work starts.
  void SetPoll(std::function<void()> poll) { poll_ = std::move(poll); }

 private:
  static constexpr int kNone = 0, kStudy = 1, kRun = 2;
  static_assert(std::atomic<int>::is_always_lock_free, "requested from a signal handler");

  // Keeps the wider of the request already made and the new one.
  void Raise(int level) noexcept {
    int current = level_.load();
    while (current < level && !level_.compare_exchange_weak(current, level)) {
    }
  }

  std::atomic<int> level_{kNone};
  std::function<void()> poll_;
};

}  // namespace quarvel
