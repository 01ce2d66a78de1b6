#include "notificationcenter/NotificationCenter.h"

#include <gtest/gtest.h>

#include <thread>

#include "runloop/MainQueue.h"

using velquarin::platform::MainQueue;
using velquarin::platform::Notification;
using velquarin::platform::NotificationCenter;

namespace {
constexpr auto kPosting = NotificationCenter::Delivery::Posting;
constexpr auto kMain = NotificationCenter::Delivery::MainQueue;
}  // namespace

TEST(NotificationCenter, MatchesByNameAndObject) {
  NotificationCenter center;
  int windowA = 0, windowB = 0;
  std::vector<std::string> seen;
  center.addObserver("ZqA", nullptr, kPosting, [&](const Notification& n) {
    seen.push_back("any:" + (n.userInfo.is_object() ? n.userInfo.value("k", "") : ""));
  });
  center.addObserver("ZqA", &windowA, kPosting,
                     [&](const Notification&) { seen.push_back("windowA"); });
  center.addObserver(std::nullopt, nullptr, kPosting,
                     [&](const Notification& n) { seen.push_back("all:" + n.name); });
  center.post("ZqA", &windowB, {{"k", "v"}});
  center.post("ZqA", &windowA);
  center.post("ZqB");
  EXPECT_EQ(seen, (std::vector<std::string>{"any:v", "all:ZqA", "any:", "windowA", "all:ZqA",
                                            "all:ZqB"}));
}

TEST(NotificationCenter, AnObserverRemovedDuringAPostIsNotCalled) {
  NotificationCenter center;
  bool secondCalled = false;
  velquarin::platform::ObserverId second = 0;
  center.addObserver("ZqX", nullptr, kPosting,
                     [&](const Notification&) { center.removeObserver(second); });
  second = center.addObserver("ZqX", nullptr, kPosting,
                              [&](const Notification&) { secondCalled = true; });
  center.post("ZqX");
  EXPECT_FALSE(secondCalled);
  EXPECT_EQ(center.observerCount(), 1u);
}

TEST(NotificationCenter, MainQueueObserversRunInlineOnMainAndQueuedFromOtherThreads) {
  NotificationCenter center;
  auto& queue = MainQueue::shared();
  queue.drain();
  std::vector<std::thread::id> threads;
  center.addObserver("ZqY", nullptr, kMain,
                     [&](const Notification&) { threads.push_back(std::this_thread::get_id()); });
  center.post("ZqY");
  ASSERT_EQ(threads.size(), 1u);
  std::thread poster([&] { center.post("ZqY"); });
  poster.join();
  EXPECT_EQ(threads.size(), 1u);  // queued, not run on the posting thread
  queue.drain();
  ASSERT_EQ(threads.size(), 2u);
  EXPECT_EQ(threads[1], std::this_thread::get_id());
}
