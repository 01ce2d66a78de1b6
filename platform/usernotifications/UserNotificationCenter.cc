#include "usernotifications/UserNotificationCenter.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>

#include "runloop/Clock.h"
#include "usernotifications/FreedesktopPresenter.h"

namespace velquarin::platform {

UserNotificationCenter& UserNotificationCenter::defaultCenter() {
  // Never destroyed: timers queued on the main queue may outlive static destruction order.
  static auto* center = [] {
    auto* made = new UserNotificationCenter();
    // The desktop's notification server shows them, unless the host draws its own.
    const char* presenter = std::getenv("VELQUARIN_NOTIFICATION_PRESENTER");
    if (!presenter || std::string_view(presenter) != "none") {
      made->setPresenter(makeFreedesktopPresenter(*made));
    }
    return made;
  }();
  return *center;
}

UserNotificationCenter::~UserNotificationCenter() {
  for (const Scheduled& entry : scheduled_) MainQueue::shared().cancel(entry.timer);
}

void UserNotificationCenter::deliverNotification(const UserNotificationPtr& notification) {
  if (!notification) return;
  if (notification->identifier) {
    std::erase_if(delivered_, [&](const UserNotificationPtr& existing) {
      return existing != notification && existing->identifier == notification->identifier;
    });
  }
  std::erase(delivered_, notification);
  notification->deliveryDate = Clock::now();
  notification->activationType = 0;
  notification->response.reset();
  notification->presented = delegate_ && delegate_->shouldPresent(*this, notification);
  delivered_.push_back(notification);
  if (presenter_ && notification->presented && notification->identifier) {
    presenter_->show(*notification);
  }
  if (delegate_) delegate_->didDeliver(*this, notification);
}

void UserNotificationCenter::scheduleNotification(const UserNotificationPtr& notification) {
  if (!notification) return;
  std::vector<UserNotificationPtr> replaced;
  for (const Scheduled& entry : scheduled_) {
    if (entry.notification == notification ||
        (notification->identifier && entry.notification->identifier == notification->identifier)) {
      replaced.push_back(entry.notification);
    }
  }
  for (const UserNotificationPtr& old : replaced) removeScheduledNotification(old);

  const double delay =
      notification->deliveryDate ? std::max(0.0, *notification->deliveryDate - Clock::now()) : 0.0;
  const UserNotification* key = notification.get();
  const TimerId timer = MainQueue::shared().after(delay, [this, key] { fire(key); });
  scheduled_.push_back({notification, timer});
}

void UserNotificationCenter::fire(const UserNotification* key) {
  const auto it = std::find_if(scheduled_.begin(), scheduled_.end(), [&](const Scheduled& entry) {
    return entry.notification.get() == key;
  });
  if (it == scheduled_.end()) return;
  const UserNotificationPtr notification = it->notification;
  scheduled_.erase(it);
  deliverNotification(notification);
}

std::vector<UserNotificationPtr> UserNotificationCenter::scheduledNotifications() const {
  std::vector<UserNotificationPtr> list;
  list.reserve(scheduled_.size());
  for (const Scheduled& entry : scheduled_) list.push_back(entry.notification);
  return list;
}

void UserNotificationCenter::withdraw(const UserNotificationPtr& notification) {
  if (presenter_ && notification->presented && notification->identifier) {
    presenter_->withdraw(*notification->identifier);
  }
}

void UserNotificationCenter::removeDeliveredNotification(const UserNotificationPtr& notification) {
  if (std::erase(delivered_, notification) > 0) withdraw(notification);
}

void UserNotificationCenter::removeScheduledNotification(const UserNotificationPtr& notification) {
  std::erase_if(scheduled_, [&](const Scheduled& entry) {
    if (entry.notification != notification) return false;
    MainQueue::shared().cancel(entry.timer);
    return true;
  });
}

void UserNotificationCenter::removeAllDeliveredNotifications() {
  const std::vector<UserNotificationPtr> removed = std::move(delivered_);
  delivered_.clear();
  for (const UserNotificationPtr& notification : removed) withdraw(notification);
}

UserNotificationPtr UserNotificationCenter::findDelivered(const std::string& identifier) const {
  for (const UserNotificationPtr& notification : delivered_) {
    if (notification->identifier == identifier) return notification;
  }
  return nullptr;
}

bool UserNotificationCenter::activate(const std::string& identifier, int type,
                                      std::optional<std::string> response) {
  const UserNotificationPtr notification = findDelivered(identifier);
  if (!notification) return false;
  notification->activationType = type;
  if (response) notification->response = std::move(response);
  if (delegate_) {
    delegate_->shouldActivate(*this, notification);
    delegate_->didActivate(*this, notification);
  }
  return true;
}

bool UserNotificationCenter::dismiss(const std::string& identifier, bool withdraw) {
  const UserNotificationPtr notification = findDelivered(identifier);
  if (!notification) return false;
  std::erase(delivered_, notification);
  if (withdraw) this->withdraw(notification);
  if (delegate_) delegate_->didDismissAlert(*this, notification);
  return true;
}

bool UserNotificationCenter::changeResponse(const std::string& identifier, std::string text) {
  const UserNotificationPtr notification = findDelivered(identifier);
  if (!notification) return false;
  notification->response = text;
  if (delegate_) delegate_->responseChanged(*this, text, notification);
  return true;
}

}  // namespace velquarin::platform
