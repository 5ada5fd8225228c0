#pragma once
// The one engine for many solves: a few threads kept for solving side by side, started by the
// first work that shares them and reused by all later work. Two ways of handing work out:
// ForEach runs independent tasks in any order (the experiments of one solve), SolveInOrder
// solves items ahead on every thread and commits them in index order on the calling thread
// (the swept values of a study). Launch runs one job away from the caller's thread, so that a
// window stays free while the job works. Every other file of the program is free of threads.

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <type_traits>
#include <vector>

namespace quarvel {

// What the committing caller of SolveInOrder wants after an item.
enum class AfterCommit {
  GoOn,
  FinishStarted,  // hand out nothing more; the items already started are still committed
  Stop,           // commit nothing more
};

// How long each experiment of the last set shared out on a pool took, by position, with its
// sample count. The next solve of the same set hands out the costliest first; no result
// depends on it.
struct SolveTimings {
  std::vector<int32_t> counters;
  std::vector<double> seconds;
};

// The calling thread takes part in the work, so a pool of `threads` keeps threads - 1 of its
// own; a pool of 1 works on the caller's thread alone. One piece of work at a time (the pool
// is not re-entrant).
class SolvePool {
 public:
  // threads = 0 takes the number of hardware threads (at least 1).
  explicit SolvePool(unsigned threads = 0);
  ~SolvePool();
  SolvePool(const SolvePool&) = delete;
  SolvePool& operator=(const SolvePool&) = delete;

  unsigned ThreadCount() const { return threads_; }

  // Runs task(order[k]) for every k, each exactly once, on the pool's threads and the caller's;
  // returns when all have finished. Tasks are taken in the order given. An exception thrown by
  // a task is rethrown here (the first one; the other tasks still run).
  void ForEach(const std::vector<int32_t>& order, const std::function<void(int32_t)>& task);

  // SolveInOrder without types, for `jobs` workers (2 <= jobs <= ThreadCount()): worker 0 is
  // the calling thread, which also commits. solve(worker, i) runs on one thread per worker at a
  // time; commit(i) runs on the calling thread, in index order, after solve(_, i) has returned.
  void RunInOrder(int32_t count, int32_t jobs,
                  const std::function<void(int32_t worker, int32_t i)>& solve,
                  const std::function<AfterCommit(int32_t i)>& commit);

  // Items solved at most ahead of the last one committed, for `jobs` workers: an interrupted
  // run then finishes only a few items more, and few results wait out of order.
  static int32_t LookAhead(int32_t jobs) { return 2 * jobs; }

  // Runs `job` on a thread kept apart from those that ForEach and RunInOrder share work out to,
  // and returns at once; the job may share its work out on this pool, as its caller. Once the
  // job has ended, however it ended, `finished` (may be empty) runs on that thread. One job at
  // a time: a job still running is waited for first.
  void Launch(std::function<void()> job, std::function<void()> finished = {});
  // True from Launch until the job has ended (before `finished` runs).
  bool JobRunning() const;
  // Waits for the launched job to end and rethrows what it threw.
  void WaitForJob();

  SolveTimings timings;  // kept by SolveExperiments between the solves it shares out here

 private:
  struct Threads;   // the kept threads and what they are given, in solve_pool.cpp
  struct Launcher;  // the thread of Launch and its job

  unsigned threads_;  // the caller's and the workers'
  std::unique_ptr<Threads> work_;
  std::unique_ptr<Launcher> launcher_;
};

// Items 0..count-1 solved `jobs` at a time and committed in index order on the calling thread:
// result = solve(worker, i), then commit(i, result) says whether to go on. Each participating
// thread solves on a worker state of its own, made there by makeWorker() before its first
// item. With no pool, or one job, every item is solved and committed in turn on the calling
// thread with one worker state. Items are handed out in index order, at most
// SolvePool::LookAhead(jobs) ahead of the last one committed. An exception thrown by
// makeWorker, solve or commit ends the work: nothing more is handed out, the items in progress
// are finished, those before the failing one are committed, and the exception of the earliest
// failing item (or of commit) is rethrown here.
template <typename MakeWorker, typename Solve, typename Commit>
void SolveInOrder(SolvePool* pool, int32_t count, int32_t jobs, MakeWorker makeWorker,
                  Solve solve, Commit commit) {
  using Worker = std::invoke_result_t<MakeWorker&>;
  using Result = std::invoke_result_t<Solve&, Worker&, int32_t>;
  if (pool != nullptr) {
    jobs = std::min({jobs, static_cast<int32_t>(pool->ThreadCount()), count});
  }
  if (pool == nullptr || jobs < 2) {
    if (count < 1) return;
    Worker worker = makeWorker();
    for (int32_t i = 0; i < count; ++i) {
      Result result = solve(worker, i);
      if (commit(i, result) != AfterCommit::GoOn) return;
    }
    return;
  }
  std::vector<std::optional<Worker>> workers(static_cast<std::size_t>(jobs));
  // At most LookAhead items are in flight, so item i has slot i % size to itself.
  std::vector<std::optional<Result>> pending(static_cast<std::size_t>(SolvePool::LookAhead(jobs)));
  const auto pendingOf = [&pending](int32_t i) -> std::optional<Result>& {
    return pending[static_cast<std::size_t>(i) % pending.size()];
  };
  pool->RunInOrder(
      count, jobs,
      [&](int32_t w, int32_t i) {
        std::optional<Worker>& worker = workers[static_cast<std::size_t>(w)];
        if (!worker) worker.emplace(makeWorker());
        pendingOf(i).emplace(solve(*worker, i));
      },
      [&](int32_t i) {
        std::optional<Result>& slot = pendingOf(i);
        const AfterCommit next = commit(i, *slot);
        slot.reset();
        return next;
      });
}

}  // namespace quarvel
