#include "solve/solve_pool.h"

#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <utility>

namespace quarvel {

// The pool's own threads and the list of tasks they are working through.
struct SolvePool::Threads {
  std::vector<std::thread> workers;  // started by the first work
  std::mutex mutex;
  std::condition_variable wake;
  std::condition_variable done;
  // The tasks in progress, guarded by mutex.
  const std::vector<int32_t>* order = nullptr;
  const std::function<void(int32_t)>* task = nullptr;
  std::size_t next = 0;      // next position of order to hand out
  std::size_t finished = 0;  // tasks finished
  uint64_t generation = 0;   // grows with every list, so sleeping workers see a new one
  bool stopping = false;
  std::exception_ptr failure;

  // Starts `count` workers unless they run already (a pool never used costs nothing).
  void Start(unsigned count) {
    if (!workers.empty()) return;
    workers.reserve(count);
    for (unsigned k = 0; k < count; ++k) workers.emplace_back([this] { WorkerLoop(); });
  }

  // Hands task(order[k]) for every k to the workers; the caller may take part by RunTasks.
  void Post(const std::vector<int32_t>& tasks, const std::function<void(int32_t)>& run) {
    {
      const std::lock_guard lock(mutex);
      order = &tasks;
      task = &run;
      next = 0;
      finished = 0;
      failure = nullptr;
      ++generation;
    }
    wake.notify_all();
  }

  // Waits until every posted task has run; returns the first exception one of them threw.
  std::exception_ptr Finish() {
    std::unique_lock lock(mutex);
    done.wait(lock, [this] { return finished == order->size(); });
    order = nullptr;
    task = nullptr;
    return std::exchange(failure, nullptr);
  }

  void RunTasks() {
    std::unique_lock lock(mutex);
    while (order != nullptr && next < order->size()) {
      const int32_t k = (*order)[next++];
      const std::function<void(int32_t)>& run = *task;
      lock.unlock();
      std::exception_ptr error;
      try {
        run(k);
      } catch (...) {
        error = std::current_exception();
      }
      lock.lock();
      if (error && !failure) failure = error;
      if (++finished == order->size()) done.notify_all();
    }
  }

  void WorkerLoop() {
    uint64_t seen = 0;
    std::unique_lock lock(mutex);
    for (;;) {
      wake.wait(lock, [&] { return stopping || generation != seen; });
      if (stopping) return;
      seen = generation;
      lock.unlock();
      RunTasks();
      lock.lock();
    }
  }
};

// The thread of Launch, started by the first job and kept for the next ones.
struct SolvePool::Launcher {
  std::thread thread;
  mutable std::mutex mutex;
  std::condition_variable changed;
  std::function<void()> job;       // the job to start; empty once taken
  std::function<void()> finished;  // what runs after it
  bool running = false;            // from Launch until the job has ended
  bool stopping = false;
  std::exception_ptr failure;  // what the last job threw, until WaitForJob rethrows it

  void Loop() {
    std::unique_lock lock(mutex);
    for (;;) {
      changed.wait(lock, [this] { return stopping || job; });
      if (!job) return;
      const std::function<void()> run = std::exchange(job, nullptr);
      const std::function<void()> after = std::exchange(finished, nullptr);
      lock.unlock();
      std::exception_ptr error;
      try {
        run();
      } catch (...) {
        error = std::current_exception();
      }
      lock.lock();
      failure = error;
      running = false;
      changed.notify_all();
      if (after) {
        lock.unlock();
        after();
        lock.lock();
      }
    }
  }

  void WaitUntilIdle(std::unique_lock<std::mutex>& lock) {
    changed.wait(lock, [this] { return !running; });
  }
};

SolvePool::SolvePool(unsigned threads)
    : threads_(threads == 0 ? std::max(1u, std::thread::hardware_concurrency()) : threads),
      work_(std::make_unique<Threads>()),
      launcher_(std::make_unique<Launcher>()) {}

SolvePool::~SolvePool() {
  {
    std::unique_lock lock(launcher_->mutex);
    launcher_->WaitUntilIdle(lock);
    launcher_->stopping = true;
  }
  launcher_->changed.notify_all();
  if (launcher_->thread.joinable()) launcher_->thread.join();
  {
    const std::lock_guard lock(work_->mutex);
    work_->stopping = true;
  }
  work_->wake.notify_all();
  for (std::thread& worker : work_->workers) worker.join();
}

void SolvePool::Launch(std::function<void()> job, std::function<void()> finished) {
  Launcher& launcher = *launcher_;
  {
    std::unique_lock lock(launcher.mutex);
    launcher.WaitUntilIdle(lock);
    launcher.job = std::move(job);
    launcher.finished = std::move(finished);
    launcher.failure = nullptr;
    launcher.running = true;
    if (!launcher.thread.joinable()) {
      launcher.thread = std::thread([&launcher] { launcher.Loop(); });
    }
  }
  launcher.changed.notify_all();
}

bool SolvePool::JobRunning() const {
  const std::lock_guard lock(launcher_->mutex);
  return launcher_->running;
}

void SolvePool::WaitForJob() {
  std::unique_lock lock(launcher_->mutex);
  launcher_->WaitUntilIdle(lock);
  if (std::exception_ptr failure = std::exchange(launcher_->failure, nullptr)) {
    std::rethrow_exception(failure);
  }
}

void SolvePool::ForEach(const std::vector<int32_t>& order,
                        const std::function<void(int32_t)>& task) {
  if (order.empty()) return;
  work_->Start(threads_ - 1);
  work_->Post(order, task);
  work_->RunTasks();
  if (std::exception_ptr failure = work_->Finish()) std::rethrow_exception(failure);
}

namespace {

// Where the items of SolveInOrder stand, shared by the workers and the committing caller.
struct OrderedItems {
  std::mutex mutex;
  std::condition_variable changed;
  int32_t count = 0;
  int32_t lookAhead = 0;
  int32_t handedOut = 0;       // items 0..handedOut-1 have been handed out
  int32_t nextToCommit = 0;
  std::vector<char> finished;  // by slot i % lookAhead: item i solved and not yet committed
  bool stopHandingOut = false;
  std::exception_ptr failure;  // the first exception of a worker
  int32_t failedAt = 0;        // the item whose solve threw it

  bool MayHandOut() const {
    return !stopHandingOut && handedOut < count && handedOut < nextToCommit + lookAhead;
  }
  char& Finished(int32_t i) { return finished[static_cast<std::size_t>(i % lookAhead)]; }

  // Solves item i outside the lock and marks it finished, or records the failure.
  void Solve(const std::function<void(int32_t, int32_t)>& solve, int32_t worker, int32_t i,
             std::unique_lock<std::mutex>& lock) {
    lock.unlock();
    std::exception_ptr error;
    try {
      solve(worker, i);
    } catch (...) {
      error = std::current_exception();
    }
    lock.lock();
    if (error) {
      if (!failure || i < failedAt) {
        failure = error;
        failedAt = i;
      }
      stopHandingOut = true;
    } else {
      Finished(i) = 1;
    }
    changed.notify_all();
  }
};

}  // namespace

void SolvePool::RunInOrder(int32_t count, int32_t jobs,
                           const std::function<void(int32_t, int32_t)>& solve,
                           const std::function<AfterCommit(int32_t)>& commit) {
  OrderedItems items;
  items.count = count;
  items.lookAhead = LookAhead(jobs);
  items.finished.assign(static_cast<std::size_t>(items.lookAhead), 0);

  // Workers 1..jobs-1 on the pool's threads: solve while there is something to hand out.
  std::vector<int32_t> helpers;
  for (int32_t w = 1; w < jobs; ++w) helpers.push_back(w);
  const std::function<void(int32_t)> help = [&](int32_t worker) {
    std::unique_lock lock(items.mutex);
    for (;;) {
      items.changed.wait(lock, [&] {
        return items.MayHandOut() || items.stopHandingOut || items.handedOut >= count;
      });
      if (!items.MayHandOut()) return;
      items.Solve(solve, worker, items.handedOut++, lock);
    }
  };
  work_->Start(threads_ - 1);
  work_->Post(helpers, help);

  // The caller commits what is next in order as soon as it is finished, and solves in between.
  std::exception_ptr commitFailure;
  {
    std::unique_lock lock(items.mutex);
    try {
      while (items.nextToCommit < count) {
        const int32_t i = items.nextToCommit;
        if (items.Finished(i)) {
          items.Finished(i) = 0;
          lock.unlock();
          const AfterCommit next = commit(i);
          lock.lock();
          ++items.nextToCommit;
          items.stopHandingOut = items.stopHandingOut || next != AfterCommit::GoOn;
          items.changed.notify_all();
          if (next == AfterCommit::Stop) break;
        } else if (items.failure && i >= items.failedAt) {
          break;  // the items before the failed one are committed
        } else if (items.MayHandOut()) {
          items.Solve(solve, 0, items.handedOut++, lock);
        } else if (items.handedOut == i) {
          break;  // nothing handed out remains to commit
        } else {
          items.changed.wait(lock);
        }
      }
    } catch (...) {
      commitFailure = std::current_exception();
      if (!lock.owns_lock()) lock.lock();
    }
    items.stopHandingOut = true;
    items.changed.notify_all();
  }
  // The helpers refer to `items`: they must have returned before it goes.
  const std::exception_ptr helperFailure = work_->Finish();
  if (commitFailure) std::rethrow_exception(commitFailure);
  if (items.failure) std::rethrow_exception(items.failure);
  if (helperFailure) std::rethrow_exception(helperFailure);
}

}  // namespace quarvel
