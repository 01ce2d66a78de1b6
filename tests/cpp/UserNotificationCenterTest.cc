#include "usernotifications/UserNotificationCenter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runloop/Clock.h"
#include "runloop/MainQueue.h"

using velquarin::platform::Clock;
using velquarin::platform::MainQueue;
using velquarin::platform::UserNotification;
using velquarin::platform::UserNotificationCenter;
using velquarin::platform::UserNotificationCenterDelegate;
using velquarin::platform::UserNotificationPtr;

namespace {

struct Recorder : UserNotificationCenterDelegate {
  std::vector<std::string> events;
  bool present = true;
  void didDeliver(UserNotificationCenter&, const UserNotificationPtr& n) override {
    events.push_back("deliver " + n->identifier.value_or("-"));
  }
  bool shouldPresent(UserNotificationCenter&, const UserNotificationPtr&) override {
    return present;
  }
  void didActivate(UserNotificationCenter&, const UserNotificationPtr& n) override {
    events.push_back("activate " + *n->identifier + " " + std::to_string(n->activationType) + " " +
                     n->response.value_or("-"));
  }
  void didDismissAlert(UserNotificationCenter&, const UserNotificationPtr& n) override {
    events.push_back("dismiss " + *n->identifier);
  }
  void responseChanged(UserNotificationCenter&, const std::string& text,
                       const UserNotificationPtr& n) override {
    events.push_back("typing " + *n->identifier + " " + text);
  }
};

UserNotificationPtr make(const std::string& identifier, const std::string& title = "t") {
  auto n = std::make_shared<UserNotification>();
  n->identifier = identifier;
  n->title = title;
  return n;
}

class UserNotificationCenterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MainQueue::shared().drain();
    center.setDelegate(&recorder);
  }
  Recorder recorder;
  UserNotificationCenter center;
};

}  // namespace

TEST_F(UserNotificationCenterTest, DeliveryStampsPresentsAndReplacesByIdentifier) {
  recorder.present = false;
  center.deliverNotification(make("a", "first"));
  recorder.present = true;
  center.deliverNotification(make("b"));
  center.deliverNotification(make("a", "second"));
  const auto delivered = center.deliveredNotifications();
  ASSERT_EQ(delivered.size(), 2u);
  EXPECT_EQ(*delivered[0]->identifier, "b");
  EXPECT_EQ(*delivered[1]->title, "second");
  EXPECT_TRUE(delivered[1]->presented);
  EXPECT_NEAR(*delivered[1]->deliveryDate, Clock::now(), 1.0);
  EXPECT_EQ(recorder.events, (std::vector<std::string>{"deliver a", "deliver b", "deliver a"}));
}

TEST_F(UserNotificationCenterTest, ScheduledNotificationsWaitForTheClockAndCanBeWithdrawn) {
  auto later = make("later");
  later->deliveryDate = Clock::now() + 30;
  auto withdrawn = make("withdrawn");
  withdrawn->deliveryDate = Clock::now() + 30;
  center.scheduleNotification(later);
  center.scheduleNotification(withdrawn);
  // Scheduling an identifier again replaces the waiting one (and its timer).
  auto replacement = make("later", "replacement");
  replacement->deliveryDate = Clock::now() + 40;
  center.scheduleNotification(replacement);
  ASSERT_EQ(center.scheduledNotifications().size(), 2u);

  center.removeScheduledNotification(withdrawn);
  Clock::advance(35);
  EXPECT_TRUE(center.deliveredNotifications().empty());
  Clock::advance(10);
  ASSERT_EQ(center.deliveredNotifications().size(), 1u);
  EXPECT_EQ(*center.deliveredNotifications()[0]->title, "replacement");
  EXPECT_TRUE(center.scheduledNotifications().empty());
  EXPECT_EQ(recorder.events, (std::vector<std::string>{"deliver later"}));
}

TEST_F(UserNotificationCenterTest, UserActionsReachTheDelegateOnlyForDeliveredNotifications) {
  center.deliverNotification(make("m"));
  auto waiting = make("w");
  waiting->deliveryDate = Clock::now() + 100;
  center.scheduleNotification(waiting);

  EXPECT_FALSE(center.activate("w", 1));  // not shown yet
  EXPECT_FALSE(center.dismiss("nobody"));
  EXPECT_TRUE(center.changeResponse("m", "o"));
  EXPECT_TRUE(center.activate("m", 3, "ok"));
  EXPECT_TRUE(center.activate("m", 9));  // keeps the response it had
  EXPECT_TRUE(center.dismiss("m"));
  EXPECT_TRUE(center.deliveredNotifications().empty());
  EXPECT_FALSE(center.activate("m", 1));
  EXPECT_EQ(recorder.events, (std::vector<std::string>{"deliver m", "typing m o", "activate m 3 ok",
                                                       "activate m 9 ok", "dismiss m"}));
  center.removeScheduledNotification(waiting);
}

TEST_F(UserNotificationCenterTest, RemovingAllDeliveredLeavesScheduledOnes) {
  center.deliverNotification(make("x"));
  center.deliverNotification(make("y"));
  auto waiting = make("z");
  waiting->deliveryDate = Clock::now() + 5;
  center.scheduleNotification(waiting);
  center.removeAllDeliveredNotifications();
  EXPECT_TRUE(center.deliveredNotifications().empty());
  Clock::advance(6);
  ASSERT_EQ(center.deliveredNotifications().size(), 1u);
  EXPECT_EQ(*center.deliveredNotifications()[0]->identifier, "z");
}

namespace {

struct FakePresenter : velquarin::platform::UserNotificationPresenter {
  std::vector<std::string> calls;
  void show(const UserNotification& n) override { calls.push_back("show " + *n.title); }
  void withdraw(const std::string& identifier) override { calls.push_back("close " + identifier); }
};

}  // namespace

TEST_F(UserNotificationCenterTest, ThePresenterShowsReplacesAndClosesPresentedNotifications) {
  auto presenter = std::make_shared<FakePresenter>();
  center.setPresenter(presenter);
  center.deliverNotification(make("a", "one"));
  center.deliverNotification(make("a", "two"));  // replaced in place, not closed first
  recorder.present = false;
  center.deliverNotification(make("hidden", "hidden"));
  recorder.present = true;
  center.deliverNotification(make("b", "three"));
  center.deliverNotification(make("c", "four"));
  center.dismiss("b", false);  // the desktop closed it itself
  center.dismiss("c");
  center.removeDeliveredNotification(center.deliveredNotifications()[0]);
  center.deliverNotification(make("d", "five"));
  center.removeAllDeliveredNotifications();
  EXPECT_EQ(presenter->calls,
            (std::vector<std::string>{"show one", "show two", "show three", "show four", "close c",
                                      "close a", "show five", "close d"}));
}
