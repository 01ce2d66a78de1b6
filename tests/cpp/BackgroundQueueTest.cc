#include "runloop/BackgroundQueue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

using velquarin::platform::BackgroundQueue;
using velquarin::platform::MainQueue;

TEST(BackgroundQueue, ApplyRunsEveryIndexOnceOnSeveralThreadsAndWaitsForAll) {
  auto& queue = BackgroundQueue::shared();
  std::vector<std::atomic<int>> runs(200);
  std::mutex mutex;
  std::set<std::thread::id> threads;
  queue.apply(runs.size(), [&](std::size_t i) {
    std::this_thread::sleep_for(std::chrono::microseconds(200));
    ++runs[i];
    std::lock_guard lock(mutex);
    threads.insert(std::this_thread::get_id());
  });
  for (const auto& count : runs) EXPECT_EQ(count.load(), 1);
  EXPECT_GT(threads.size(), 1u);
  // Nested from a worker: the caller's own share keeps it from waiting on itself.
  std::atomic<int> nested = 0;
  queue.apply(8, [&](std::size_t) { queue.apply(8, [&](std::size_t) { ++nested; }); });
  EXPECT_EQ(nested.load(), 64);
}

TEST(BackgroundQueue, ResultsHopBackToTheMainQueue) {
  MainQueue::shared().drain();
  std::atomic<bool> worked = false;
  int result = 0;
  BackgroundQueue::shared().async(
      [&] {
        worked = true;
        return 42;
      },
      [&](int value) { result = value; });
  while (MainQueue::shared().pendingTasks() == 0) std::this_thread::yield();
  EXPECT_TRUE(worked);
  EXPECT_EQ(result, 0);
  MainQueue::shared().drain();
  EXPECT_EQ(result, 42);
}
