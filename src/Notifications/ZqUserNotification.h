#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "usernotifications/UserNotificationCenter.h"

// The application's notifications: delivers and schedules them on the user-notification
// centre, whose delegate it is, and turns the user's actions into host callbacks and process
// notifications. One per process; main thread only.
class ZqUserNotification : public velquarin::platform::UserNotificationCenterDelegate {
 public:
  using Notification = velquarin::platform::UserNotificationPtr;
  // identifier, type string, response text ("" when there is none).
  using Callback = std::function<void(const std::string&, const std::string&, const std::string&)>;

  static ZqUserNotification& sharedInstance();

  explicit ZqUserNotification(velquarin::platform::UserNotificationCenter& center);
  ~ZqUserNotification() override;
  ZqUserNotification(const ZqUserNotification&) = delete;
  ZqUserNotification& operator=(const ZqUserNotification&) = delete;

  // Empty: activations are still posted and logged, the host is not called.
  void setCallback(Callback callback) { callback_ = std::move(callback); }

  void showNotification(const std::string& identifier, const std::optional<std::string>& title,
                        const std::optional<std::string>& subTitle,
                        const std::optional<std::string>& informativeText,
                        const std::optional<std::string>& soundName, bool hasActionButton,
                        const std::optional<std::string>& actionButtonTitle,
                        const std::optional<std::string>& responsePlaceholder, bool hasReplyButton,
                        const std::optional<std::string>& deliverAt);

  Notification findUserNotificationWithIdentifier(const std::optional<std::string>& identifier);
  void removeNotification(const std::string& identifier);
  void removeNotifications();
  void callbackForNotification(const Notification& notification, const std::string& typeString);

  void didDeliver(velquarin::platform::UserNotificationCenter&, const Notification&) override;
  bool shouldActivate(velquarin::platform::UserNotificationCenter&, const Notification&) override;
  void didActivate(velquarin::platform::UserNotificationCenter&, const Notification&) override;
  bool shouldPresent(velquarin::platform::UserNotificationCenter&, const Notification&) override;
  void didDismissAlert(velquarin::platform::UserNotificationCenter&, const Notification&) override;
  void responseChanged(velquarin::platform::UserNotificationCenter&, const std::string&,
                       const Notification&) override;

 private:
  velquarin::platform::UserNotificationCenter& center_;
  Callback callback_;
};

// The name the host receives for an activation type value.
const char* ZqActivationTypeString(int type);

// The delivery date for a deliver-at text: its leading decimal integer (saturating; anything
// else reads as 0) in seconds since 1970, held below the year 10000; a date not after `now`
// becomes now + 10 seconds.
double ZqDeliveryDate(const std::string& deliverAt, double now);
