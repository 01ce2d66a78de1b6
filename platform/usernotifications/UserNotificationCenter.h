#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "runloop/MainQueue.h"

namespace velquarin::platform {

// How the user acted on a notification; values outside this list can arrive from a desktop
// and are kept as they come.
enum class UserNotificationActivation : int {
  None = 0,
  ContentsClicked = 1,
  ActionButtonClicked = 2,
  Replied = 3,
  AdditionalActionClicked = 4,
};

// A desktop notification as the application describes it, plus what the user did to it.
struct UserNotification {
  std::optional<std::string> identifier;
  std::optional<std::string> title;
  std::optional<std::string> subtitle;
  std::optional<std::string> informativeText;
  std::optional<std::string> soundName;
  bool hasActionButton = false;
  std::optional<std::string> actionButtonTitle;
  bool hasReplyButton = false;
  std::optional<std::string> responsePlaceholder;
  // Seconds since the Unix epoch on the platform clock; set when scheduled, and to the
  // moment of delivery when delivered.
  std::optional<double> deliveryDate;

  int activationType = 0;
  std::optional<std::string> response;  // plain text of the reply field
  bool presented = false;
};

using UserNotificationPtr = std::shared_ptr<UserNotification>;

class UserNotificationCenter;

// Shows delivered notifications on the desktop. Called on the main thread; must not block.
class UserNotificationPresenter {
 public:
  virtual ~UserNotificationPresenter() = default;
  // Shows the notification, replacing what is shown for its identifier.
  virtual void show(const UserNotification& notification) = 0;
  virtual void withdraw(const std::string& identifier) = 0;
};

// The application's side of the centre. Every call comes on the main thread.
class UserNotificationCenterDelegate {
 public:
  virtual ~UserNotificationCenterDelegate() = default;
  virtual void didDeliver(UserNotificationCenter&, const UserNotificationPtr&) {}
  virtual bool shouldPresent(UserNotificationCenter&, const UserNotificationPtr&) { return false; }
  virtual bool shouldActivate(UserNotificationCenter&, const UserNotificationPtr&) { return true; }
  virtual void didActivate(UserNotificationCenter&, const UserNotificationPtr&) {}
  virtual void didDismissAlert(UserNotificationCenter&, const UserNotificationPtr&) {}
  virtual void responseChanged(UserNotificationCenter&, const std::string&,
                               const UserNotificationPtr&) {}
};

// The user-notification centre: the delivered list, the scheduled list (delivered by main-queue
// timers on the platform clock) and the user's actions on them. A notification that reuses the
// identifier of a delivered one replaces it on delivery; scheduling replaces a scheduled one of
// the same identifier. Main thread only.
class UserNotificationCenter {
 public:
  static UserNotificationCenter& defaultCenter();

  UserNotificationCenter() = default;
  ~UserNotificationCenter();
  UserNotificationCenter(const UserNotificationCenter&) = delete;
  UserNotificationCenter& operator=(const UserNotificationCenter&) = delete;

  // The delegate is not owned; it must outlive its registration (or reset it to null).
  void setDelegate(UserNotificationCenterDelegate* delegate) { delegate_ = delegate; }
  UserNotificationCenterDelegate* delegate() const { return delegate_; }

  // Presented notifications with an identifier are also shown by the presenter.
  void setPresenter(std::shared_ptr<UserNotificationPresenter> presenter) {
    presenter_ = std::move(presenter);
  }

  void deliverNotification(const UserNotificationPtr& notification);
  // Delivers at the notification's delivery date (at once when it has none or it has passed).
  void scheduleNotification(const UserNotificationPtr& notification);

  std::vector<UserNotificationPtr> deliveredNotifications() const { return delivered_; }
  std::vector<UserNotificationPtr> scheduledNotifications() const;

  void removeDeliveredNotification(const UserNotificationPtr& notification);
  void removeScheduledNotification(const UserNotificationPtr& notification);
  void removeAllDeliveredNotifications();

  // The user's side (the desktop, or the platform binding acting as the user). Each answers
  // false when no delivered notification has that identifier.
  bool activate(const std::string& identifier, int type,
                std::optional<std::string> response = std::nullopt);
  // The alert goes away: it leaves the delivered list, then the delegate hears of it.
  // `withdraw` false: the desktop closed it already.
  bool dismiss(const std::string& identifier, bool withdraw = true);
  bool changeResponse(const std::string& identifier, std::string text);

 private:
  struct Scheduled {
    UserNotificationPtr notification;
    TimerId timer;
  };

  UserNotificationPtr findDelivered(const std::string& identifier) const;
  void fire(const UserNotification* key);

  void withdraw(const UserNotificationPtr& notification);

  UserNotificationCenterDelegate* delegate_ = nullptr;
  std::shared_ptr<UserNotificationPresenter> presenter_;
  std::vector<UserNotificationPtr> delivered_;
  std::vector<Scheduled> scheduled_;  // in scheduling order
};

}  // namespace velquarin::platform
