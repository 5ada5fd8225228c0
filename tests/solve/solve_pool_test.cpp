// The engine of many solves: ForEach runs every task once and rethrows, and so does a launched
// job; SolveInOrder commits in index order whatever the jobs, keeps each worker state to one
// thread at a time, solves no further ahead of the last commit than its look-ahead, honours the
// committer's stop, and rethrows the earliest failure after committing the items before it.

#include "solve/solve_pool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace quarvel {
namespace {

TEST(SolvePoolTest, ForEachRunsEachTaskOnceAndRethrows) {
  SolvePool pool(3);
  std::vector<int32_t> order(100);
  for (int32_t k = 0; k < 100; ++k) order[static_cast<std::size_t>(k)] = 99 - k;
  std::vector<std::atomic<int>> runs(100);
  const auto task = [&runs](int32_t k) {
    if (runs[static_cast<std::size_t>(k)]++ == 1 && k == 50) throw std::runtime_error("failed");
  };
  pool.ForEach(order, task);
  EXPECT_THROW(pool.ForEach(order, task), std::runtime_error);
  for (const auto& count : runs) EXPECT_EQ(count.load(), 2);
}

// A launched job runs away from the caller's thread and may share work out on the same pool;
// what it throws, WaitForJob rethrows.
TEST(SolvePoolTest, LaunchedJobSharesWorkOutOnThePoolAndItsFailureIsRethrown) {
  SolvePool pool(2);
  std::atomic<int> tasks{0};
  std::thread::id ranOn;
  pool.Launch([&] {
    ranOn = std::this_thread::get_id();
    pool.ForEach({0, 1, 2}, [&tasks](int32_t) { ++tasks; });
  });
  pool.WaitForJob();
  EXPECT_EQ(tasks.load(), 3);
  EXPECT_NE(ranOn, std::this_thread::get_id());
  pool.Launch([] { throw std::runtime_error("failed"); });
  EXPECT_THROW(pool.WaitForJob(), std::runtime_error);
}

// Rows: the item after whose commit the committer answers `how` (-1 never), the item whose
// solve throws (-1 none), and the items committed (on threads FinishStarted commits up to the
// look-ahead more).
struct OrderedCase { const char* name; int32_t stopAt; AfterCommit how; int32_t throwAt, commits; };

const OrderedCase kOrderedCases[] = {
    {"EveryItem", -1, AfterCommit::GoOn, -1, 60},
    {"StopCommitsNothingMore", 10, AfterCommit::Stop, -1, 11},
    {"FinishStartedCommitsTheItemsInFlight", 10, AfterCommit::FinishStarted, -1, 11},
    {"FailureAfterTheItemsBeforeIt", -1, AfterCommit::GoOn, 20, 20},
};

class SolveInOrderTest : public ::testing::TestWithParam<OrderedCase> {};

TEST_P(SolveInOrderTest, CommitsInOrderWithinTheLookAhead) {
  const OrderedCase& c = GetParam();
  for (const int32_t jobs : {1, 2, 4}) {
    SCOPED_TRACE(std::to_string(jobs) + " jobs");
    SolvePool pool(static_cast<unsigned>(jobs));
    std::atomic<int32_t> workersMade{0}, committedCount{0}, furthestAhead{0};
    std::atomic<bool> sharedWorker{false};
    std::vector<int32_t> committed;
    const auto solve = [&](bool& busy, int32_t i) {  // the worker state: in use or not
      if (std::exchange(busy, true)) sharedWorker = true;
      int32_t seen = furthestAhead.load();
      const int32_t ahead = i - committedCount.load();
      while (ahead > seen && !furthestAhead.compare_exchange_weak(seen, ahead)) {
      }
      busy = false;
      if (i == c.throwAt) throw std::runtime_error("solve failed");
      return std::to_string(i);
    };
    const auto commit = [&](int32_t i, std::string& result) {
      EXPECT_EQ(result, std::to_string(i));
      committed.push_back(i);
      ++committedCount;
      return i == c.stopAt ? c.how : AfterCommit::GoOn;
    };
    const auto makeWorker = [&] { return ++workersMade, false; };
    try {
      SolveInOrder(jobs == 1 ? nullptr : &pool, 60, jobs, makeWorker, solve, commit);
      EXPECT_EQ(c.throwAt, -1);
    } catch (const std::runtime_error&) {
      EXPECT_NE(c.throwAt, -1);
    }
    const bool finishing = c.how == AfterCommit::FinishStarted && jobs > 1;
    const auto commits = static_cast<int32_t>(committed.size());
    EXPECT_GE(commits, c.commits);
    EXPECT_LE(commits, c.commits + (finishing ? SolvePool::LookAhead(jobs) : 0));
    for (std::size_t k = 0; k < committed.size(); ++k) EXPECT_EQ(committed[k], int32_t(k));
    EXPECT_LE(workersMade.load(), jobs);
    EXPECT_FALSE(sharedWorker.load());
    EXPECT_LT(furthestAhead.load(), jobs > 1 ? SolvePool::LookAhead(jobs) : 1);
  }
}

INSTANTIATE_TEST_SUITE_P(Rows, SolveInOrderTest, ::testing::ValuesIn(kOrderedCases),
                         [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace quarvel
