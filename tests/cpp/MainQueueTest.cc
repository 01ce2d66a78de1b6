#include "runloop/MainQueue.h"

#include <gtest/gtest.h>

#include <cmath>
#include <thread>
#include <vector>

#include "runloop/Clock.h"

using velquarin::platform::Clock;
using velquarin::platform::MainQueue;

// No loop driver is attached in the unit tests: the queue runs when drained.
TEST(MainQueue, TasksFromOtherThreadsRunOnDrainInPostingOrder) {
  auto& queue = MainQueue::shared();
  queue.drain();
  std::vector<int> order;
  std::thread worker([&] {
    for (int i = 0; i < 3; ++i) queue.async([&order, i] { order.push_back(i); });
  });
  worker.join();
  EXPECT_TRUE(order.empty());
  EXPECT_EQ(queue.drain(), 3u);
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2}));
}

// Timers firing as the clock reaches them are pinned by tests/js/platform.test.js.
TEST(MainQueue, CancelledTimersNeverFire) {
  auto& queue = MainQueue::shared();
  bool fired = false;
  queue.cancel(queue.after(15, [&] { fired = true; }));
  queue.cancel(987654321);  // unknown ids are ignored
  Clock::advance(20);
  EXPECT_FALSE(fired);
  EXPECT_EQ(queue.pendingTimers(), 0u);
}

TEST(MainQueue, RepeatingTimersSkipMissedPeriodsAndStopWhenCancelled) {
  auto& queue = MainQueue::shared();
  int count = 0;
  auto id = queue.every(1, [&] { ++count; });
  Clock::advance(1.5);
  EXPECT_EQ(count, 1);
  Clock::advance(100);  // one firing, not a burst of a hundred
  EXPECT_EQ(count, 2);
  queue.cancel(id);
  Clock::advance(10);
  EXPECT_EQ(count, 2);
}

TEST(MainQueue, ATimerMayCancelAnotherDueInTheSamePass) {
  auto& queue = MainQueue::shared();
  bool secondRan = false;
  velquarin::platform::TimerId second = 0;
  queue.after(1, [&] { queue.cancel(second); });
  second = queue.after(1.5, [&] { secondRan = true; });
  Clock::advance(2);
  EXPECT_FALSE(secondRan);
}

TEST(Clock, NeverMovesBackwardOrByNonsense) {
  const double offset = Clock::offset();
  Clock::advance(-5);
  Clock::advance(std::nan(""));
  EXPECT_EQ(Clock::offset(), offset);
}

TEST(MainQueue, AddingOrCancellingATimerNeverRunsDueTimersInsideTheCaller) {
  auto& queue = MainQueue::shared();
  bool ran = false;
  queue.after(0, [&] { ran = true; });
  queue.after(5, [] {});
  EXPECT_FALSE(ran);
  auto id = queue.after(10, [] {});
  queue.cancel(id);
  EXPECT_FALSE(ran);
  queue.drain();
  EXPECT_TRUE(ran);
  Clock::advance(6);
}
