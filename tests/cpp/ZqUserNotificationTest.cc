#include "Notifications/ZqUserNotification.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "notificationcenter/NotificationCenter.h"
#include "runloop/Clock.h"
#include "runloop/MainQueue.h"

using velquarin::platform::Clock;
using velquarin::platform::MainQueue;
using velquarin::platform::Notification;
using velquarin::platform::NotificationCenter;
using velquarin::platform::UserNotificationCenter;

TEST(ZqDeliveryDate, ReadsLeadingSecondsAndNeverLandsInThePast) {
  const double now = 1'700'000'000.5;
  EXPECT_EQ(ZqDeliveryDate("1800000000", now), 1800000000.0);
  EXPECT_EQ(ZqDeliveryDate("  1800000000.75xyz", now), 1800000000.0);
  EXPECT_EQ(ZqDeliveryDate("+1800000000", now), 1800000000.0);
  // Not after now: ten seconds from now.
  for (const char* past :
       {"1700000000", "0", "", "soon", "-5", "-99999999999999999999999", "1e12", "NaN"}) {
    EXPECT_EQ(ZqDeliveryDate(past, now), now + 10) << past;
  }
  // Out of range: held at the end of year 9999 instead of wrapping.
  EXPECT_EQ(ZqDeliveryDate("99999999999999999999999999", now), 253402300799.0);
  EXPECT_EQ(ZqDeliveryDate("9223372036854775807", now), 253402300799.0);
}

TEST(ZqActivationTypeString, NamesEachPlatformValue) {
  EXPECT_STREQ(ZqActivationTypeString(0), "none");
  EXPECT_STREQ(ZqActivationTypeString(1), "contents-clicked");
  EXPECT_STREQ(ZqActivationTypeString(2), "action-button-clicked");
  EXPECT_STREQ(ZqActivationTypeString(3), "replied");
  EXPECT_STREQ(ZqActivationTypeString(4), "additional-action-clicked");
  EXPECT_STREQ(ZqActivationTypeString(5), "unknown");
  EXPECT_STREQ(ZqActivationTypeString(-1), "unknown");
}

namespace {

class ZqUserNotificationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MainQueue::shared().drain();
    observer = NotificationCenter::defaultCenter().addObserver(
        std::nullopt, nullptr, NotificationCenter::Delivery::Posting,
        [this](const Notification& n) {
          if (n.name.rfind("ZqNotification", 0) == 0)
            events.push_back(n.name + " " + n.userInfo.dump());
        });
    notifications.setCallback(
        [this](const std::string& id, const std::string& type, const std::string& response) {
          events.push_back("callback " + id + " " + type + " '" + response + "'");
        });
  }
  void TearDown() override {
    notifications.removeNotifications();
    NotificationCenter::defaultCenter().removeObserver(observer);
  }
  void show(const std::string& id, bool reply, bool action,
            std::optional<std::string> deliverAt = std::nullopt) {
    notifications.showNotification(id, "Title", std::nullopt, "Body", std::nullopt, action, "Open",
                                   "Say something", reply, deliverAt);
  }

  UserNotificationCenter center;
  ZqUserNotification notifications{center};
  std::vector<std::string> events;
  velquarin::platform::ObserverId observer = 0;
};

}  // namespace

TEST_F(ZqUserNotificationTest, TheReplyFieldWinsOverTheActionButtonTitle) {
  show("action", false, true);
  show("reply", true, true);
  const auto action = notifications.findUserNotificationWithIdentifier("action");
  const auto reply = notifications.findUserNotificationWithIdentifier("reply");
  ASSERT_TRUE(action && reply);
  EXPECT_TRUE(action->hasActionButton);
  EXPECT_EQ(action->actionButtonTitle, "Open");
  EXPECT_FALSE(action->hasReplyButton);
  EXPECT_FALSE(action->soundName);
  EXPECT_TRUE(reply->hasReplyButton);
  EXPECT_EQ(reply->responsePlaceholder, "Say something");
  EXPECT_FALSE(reply->actionButtonTitle);
  EXPECT_TRUE(action->presented);
  EXPECT_EQ(events.front(), R"(ZqNotificationDidDeliver {"identifier":"action"})");
}

TEST_F(ZqUserNotificationTest, ADeliveryTimeOfNowWaitsTenSecondsAndCanBeRemoved) {
  const double now = Clock::now();
  show("soon", false, false, std::to_string(static_cast<long long>(std::floor(now))));
  show("gone", false, false, "garbage");
  EXPECT_TRUE(center.deliveredNotifications().empty());
  const auto soon = notifications.findUserNotificationWithIdentifier("soon");
  ASSERT_TRUE(soon);
  EXPECT_NEAR(*soon->deliveryDate, now + 10, 0.5);

  notifications.removeNotification("gone");
  notifications.removeNotification("nothing by this name");
  Clock::advance(11);
  ASSERT_EQ(center.deliveredNotifications().size(), 1u);
  EXPECT_EQ(center.deliveredNotifications()[0]->identifier, "soon");
  EXPECT_TRUE(center.scheduledNotifications().empty());
}

TEST_F(ZqUserNotificationTest, RemoveNotificationsEmptiesBothLists) {
  show("a", false, false);
  show("b", false, false, "99999999999");
  notifications.removeNotifications();
  EXPECT_TRUE(center.deliveredNotifications().empty());
  EXPECT_TRUE(center.scheduledNotifications().empty());
  EXPECT_FALSE(notifications.findUserNotificationWithIdentifier("b"));
  EXPECT_FALSE(notifications.findUserNotificationWithIdentifier(std::nullopt));
}

TEST_F(ZqUserNotificationTest, ActivationsCallBackBetweenTheTwoProcessNotifications) {
  show("msg-1", true, false);
  events.clear();
  center.activate("msg-1", 1);
  center.changeResponse("msg-1", "o");
  center.changeResponse("msg-1", "ok");
  center.activate("msg-1", 3, "ok");
  center.activate("msg-1", 42);
  center.dismiss("msg-1");
  const std::vector<std::string> expected = {
      R"(ZqNotificationDidActivate {"identifier":"msg-1","type":"contents-clicked"})",
      "callback msg-1 contents-clicked ''",
      R"(ZqNotificationActivation {"type":"contents-clicked","unique-id":"msg-1"})",
      "callback msg-1 response-changed 'o'",
      "callback msg-1 response-changed 'ok'",
      R"(ZqNotificationDidActivate {"identifier":"msg-1","type":"replied"})",
      "callback msg-1 replied 'ok'",
      R"(ZqNotificationActivation {"type":"replied","unique-id":"msg-1"})",
      R"(ZqNotificationDidActivate {"identifier":"msg-1","type":"unknown"})",
      "callback msg-1 unknown 'ok'",
      R"(ZqNotificationActivation {"type":"unknown","unique-id":"msg-1"})",
      "callback msg-1 dismissed 'ok'",
      R"(ZqNotificationDidDismiss {"identifier":"msg-1"})",
  };
  EXPECT_EQ(events, expected);
}

TEST_F(ZqUserNotificationTest, WithoutACallbackActivationsAreStillPosted) {
  notifications.setCallback({});
  show("quiet", false, false);
  events.clear();
  center.activate("quiet", 2);
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[1],
            R"(ZqNotificationActivation {"type":"action-button-clicked","unique-id":"quiet"})");
}
