#include "Notifications/ZqUserNotification.h"

#include <cctype>
#include <cstdint>
#include <ctime>
#include <limits>

#include "Utilities/ZqLog.h"
#include "notificationcenter/NotificationCenter.h"
#include "runloop/Clock.h"

using velquarin::platform::Clock;
using velquarin::platform::NotificationCenter;
using velquarin::platform::UserNotification;
using velquarin::platform::UserNotificationCenter;

namespace {

// 9999-12-31T23:59:59Z: far enough for any real schedule, small enough for every timer.
constexpr double kLatestDeliveryDate = 253402300799.0;
constexpr double kPastDeliveryDelay = 10.0;

std::int64_t leadingInteger(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  std::int64_t value = 0;
  constexpr std::int64_t max = std::numeric_limits<std::int64_t>::max();
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    const int digit = text[i] - '0';
    if (value > (max - digit) / 10)
      return negative ? std::numeric_limits<std::int64_t>::min() : max;
    value = value * 10 + digit;
  }
  return negative ? -value : value;
}

// As dates describe themselves in log lines: "2026-01-31 08:00:00 +0000".
std::string describeDate(double seconds) {
  const std::time_t time = static_cast<std::time_t>(seconds);
  std::tm utc{};
  gmtime_r(&time, &utc);
  char text[40];
  if (std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S +0000", &utc) == 0) return {};
  return text;
}

}  // namespace

const char* ZqActivationTypeString(int type) {
  switch (type) {
    case 0:
      return "none";
    case 1:
      return "contents-clicked";
    case 2:
      return "action-button-clicked";
    case 3:
      return "replied";
    case 4:
      return "additional-action-clicked";
    default:
      return "unknown";
  }
}

double ZqDeliveryDate(const std::string& deliverAt, double now) {
  double date = static_cast<double>(leadingInteger(deliverAt));
  if (date > kLatestDeliveryDate) date = kLatestDeliveryDate;
  if (!(date > now)) date = now + kPastDeliveryDelay;
  return date;
}

ZqUserNotification& ZqUserNotification::sharedInstance() {
  // Lives until the process ends, as the centre's delegate.
  static auto* instance = new ZqUserNotification(UserNotificationCenter::defaultCenter());
  return *instance;
}

ZqUserNotification::ZqUserNotification(UserNotificationCenter& center) : center_(center) {
  center_.setDelegate(this);
}

ZqUserNotification::~ZqUserNotification() {
  if (center_.delegate() == this) center_.setDelegate(nullptr);
}

void ZqUserNotification::showNotification(
    const std::string& identifier, const std::optional<std::string>& title,
    const std::optional<std::string>& subTitle, const std::optional<std::string>& informativeText,
    const std::optional<std::string>& soundName, bool hasActionButton,
    const std::optional<std::string>& actionButtonTitle,
    const std::optional<std::string>& responsePlaceholder, bool hasReplyButton,
    const std::optional<std::string>& deliverAt) {
  auto notification = std::make_shared<UserNotification>();
  notification->identifier = identifier;
  notification->title = title;
  notification->subtitle = subTitle;
  notification->informativeText = informativeText;
  notification->hasActionButton = hasActionButton;
  if (soundName) notification->soundName = soundName;
  if (hasReplyButton) {
    notification->hasReplyButton = true;
    if (responsePlaceholder) notification->responsePlaceholder = responsePlaceholder;
  } else if (hasActionButton) {
    notification->hasActionButton = true;
    notification->actionButtonTitle = actionButtonTitle;
  }
  if (deliverAt) {
    const double date = ZqDeliveryDate(*deliverAt, Clock::now());
    notification->deliveryDate = date;
    ZQ_LOG_DEBUG("Schedule notification %@ -> %@", describeDate(date), identifier);
    center_.scheduleNotification(notification);
  } else {
    center_.deliverNotification(notification);
  }
}

ZqUserNotification::Notification ZqUserNotification::findUserNotificationWithIdentifier(
    const std::optional<std::string>& identifier) {
  if (!identifier) return nullptr;
  for (const Notification& n : center_.deliveredNotifications()) {
    if (n->identifier == identifier) return n;
  }
  for (const Notification& n : center_.scheduledNotifications()) {
    if (n->identifier == identifier) return n;
  }
  return nullptr;
}

void ZqUserNotification::removeNotification(const std::string& identifier) {
  // Both lists may hold one: a delivered notification and its scheduled replacement.
  while (const Notification notification = findUserNotificationWithIdentifier(identifier)) {
    center_.removeDeliveredNotification(notification);
    center_.removeScheduledNotification(notification);
  }
}

void ZqUserNotification::removeNotifications() {
  for (const Notification& notification : center_.scheduledNotifications()) {
    ZQ_LOG_DEBUG("removing scheduled notification %@", notification->identifier);
    center_.removeScheduledNotification(notification);
  }
  center_.removeAllDeliveredNotifications();
}

void ZqUserNotification::callbackForNotification(const Notification& notification,
                                                 const std::string& typeString) {
  if (!notification || !notification->identifier) {
    ZQ_LOG_WARN("didActivateNotification: Couldn't process activation as unique-id is nil");
    return;
  }
  if (!callback_) return;
  callback_(*notification->identifier, typeString, notification->response.value_or(""));
}

void ZqUserNotification::didDeliver(UserNotificationCenter&, const Notification& notification) {
  ZQ_LOG_INFO("didDeliverNotification: %@", notification->identifier);
  if (!notification->identifier) return;
  NotificationCenter::defaultCenter().post("ZqNotificationDidDeliver", notification.get(),
                                           {{"identifier", *notification->identifier}});
}

bool ZqUserNotification::shouldActivate(UserNotificationCenter&, const Notification&) {
  return false;
}

void ZqUserNotification::didActivate(UserNotificationCenter&, const Notification& notification) {
  if (!notification->identifier) {
    ZQ_LOG_WARN("Couldn't activate notification as there's no identifier");
    return;
  }
  const std::string identifier = *notification->identifier;
  const std::string type = ZqActivationTypeString(notification->activationType);
  NotificationCenter::defaultCenter().post("ZqNotificationDidActivate", notification.get(),
                                           {{"identifier", identifier}, {"type", type}});
  callbackForNotification(notification, type);
  NotificationCenter::defaultCenter().post("ZqNotificationActivation", nullptr,
                                           {{"unique-id", identifier}, {"type", type}});
  ZQ_LOG_DEBUG("didActivateNotification: (unique-id=%@) (type=%@) (response=%@)", identifier, type,
               notification->response);
}

bool ZqUserNotification::shouldPresent(UserNotificationCenter&, const Notification&) {
  return true;
}

void ZqUserNotification::didDismissAlert(UserNotificationCenter&,
                                         const Notification& notification) {
  if (!notification->identifier) {
    ZQ_LOG_WARN("Couldn't dismiss alert as there's no identifier");
    return;
  }
  ZQ_LOG_DEBUG("dismissed notification: %@", *notification->identifier);
  callbackForNotification(notification, "dismissed");
  NotificationCenter::defaultCenter().post("ZqNotificationDidDismiss", notification.get(),
                                           {{"identifier", *notification->identifier}});
}

void ZqUserNotification::responseChanged(UserNotificationCenter&, const std::string&,
                                         const Notification& notification) {
  callbackForNotification(notification, "response-changed");
}
