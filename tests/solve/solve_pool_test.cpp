// The engine of many solves: ForEach runs every task once and rethrows; SolveInOrder commits in
// index order whatever the jobs, keeps each worker state to one thread at a time, solves no
// further ahead of the last commit than its look-ahead, honours the committer's stop, and
// rethrows the earliest failure after committing the items before it.

#include "solve/solve_pool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace quarvel {
namespace {

TEST(SolvePoolTest, ForEachRunsEachTaskOnceAndRethrows) {
  SolvePool pool(3);
  std::vector<int32_t> order(100);
  for (int32_t k = 0; k < 100; ++k) order[static_cast<std::size_t>(k)] = 99 - k;
  std::vector<std::atomic<int>> runs(100);
  for (int round = 0; round < 3; ++round) {
    pool.ForEach(order, [&runs](int32_t k) { runs[static_cast<std::size_t>(k)]++; });
  }
  for (const auto& count : runs) EXPECT_EQ(count.load(), 3);
  std::atomic<int> ran{0};
  EXPECT_THROW(pool.ForEach(order,
                            [&ran](int32_t k) {
                              ran++;
                              if (k == 50) throw std::runtime_error("task failed");
                            }),
               std::runtime_error);
  EXPECT_EQ(ran.load(), 100);
}

struct OrderedCase {
  const char* name;
  int32_t stopAt;     // the item after whose commit the committer answers `how`; -1 never
  AfterCommit how;
  int32_t throwAt;    // the item whose solve throws; -1 none
  int32_t minCommits;
  int32_t maxCommits;  // plus the look-ahead for FinishStarted
};

const OrderedCase kOrderedCases[] = {
    {"EveryItem", -1, AfterCommit::GoOn, -1, 60, 60},
    {"StopCommitsNothingMore", 10, AfterCommit::Stop, -1, 11, 11},
    {"FinishStartedCommitsTheItemsInFlight", 10, AfterCommit::FinishStarted, -1, 11, 11},
    {"FailureAfterTheItemsBeforeIt", -1, AfterCommit::GoOn, 20, 20, 20},
};

class SolveInOrderTest : public ::testing::TestWithParam<OrderedCase> {};

TEST_P(SolveInOrderTest, CommitsInOrderWithinTheLookAhead) {
  const OrderedCase& c = GetParam();
  for (const int32_t jobs : {1, 2, 4}) {
    SCOPED_TRACE(std::to_string(jobs) + " jobs");
    struct Worker {
      bool busy = false;
    };
    SolvePool pool(static_cast<unsigned>(jobs));
    std::atomic<int> workersMade{0};
    std::atomic<int32_t> committedCount{0};
    std::atomic<int32_t> furthestAhead{0};
    std::atomic<bool> sharedWorker{false};
    std::vector<int32_t> committed;
    const auto run = [&] {
      SolveInOrder(
          &pool, 60, jobs,
          [&] {
            ++workersMade;
            return Worker{};
          },
          [&](Worker& worker, int32_t i) {
            if (std::exchange(worker.busy, true)) sharedWorker = true;
            const int32_t ahead = i - committedCount.load();
            int32_t furthest = furthestAhead.load();
            while (ahead > furthest && !furthestAhead.compare_exchange_weak(furthest, ahead)) {
            }
            worker.busy = false;
            if (i == c.throwAt) throw std::runtime_error("solve failed");
            return std::to_string(i);
          },
          [&](int32_t i, std::string& result) {
            EXPECT_EQ(result, std::to_string(i));
            committed.push_back(i);
            ++committedCount;
            return i == c.stopAt ? c.how : AfterCommit::GoOn;
          });
    };
    if (c.throwAt >= 0) {
      EXPECT_THROW(run(), std::runtime_error);
    } else {
      run();
    }
    const int32_t slack = c.how == AfterCommit::FinishStarted ? SolvePool::LookAhead(jobs) : 0;
    EXPECT_GE(static_cast<int32_t>(committed.size()), c.minCommits);
    EXPECT_LE(static_cast<int32_t>(committed.size()), c.maxCommits + (jobs > 1 ? slack : 0));
    for (std::size_t k = 0; k < committed.size(); ++k) EXPECT_EQ(committed[k], int32_t(k));
    EXPECT_LE(workersMade.load(), jobs);
    EXPECT_FALSE(sharedWorker.load());
    EXPECT_LT(furthestAhead.load(), jobs > 1 ? SolvePool::LookAhead(jobs) : 1);
  }
}

INSTANTIATE_TEST_SUITE_P(Rows, SolveInOrderTest, ::testing::ValuesIn(kOrderedCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Without a pool the items are solved and committed in turn on the calling thread.
TEST(SolveInOrderTest, WithoutAPoolSolvesEachItemBeforeTheNextIsCommitted) {
  std::vector<std::string> calls;
  SolveInOrder(
      nullptr, 3, 4, [] { return 0; },
      [&](int&, int32_t i) {
        calls.push_back("solve " + std::to_string(i));
        return i;
      },
      [&](int32_t i, int&) {
        calls.push_back("commit " + std::to_string(i));
        return AfterCommit::GoOn;
      });
  EXPECT_EQ(calls, (std::vector<std::string>{"solve 0", "commit 0", "solve 1", "commit 1",
                                             "solve 2", "commit 2"}));
}

}  // namespace
}  // namespace quarvel
