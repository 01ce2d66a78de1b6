#include "notificationcenter/NotificationCenter.h"

#include <algorithm>
#include <memory>

#include "runloop/MainQueue.h"

namespace velquarin::platform {

NotificationCenter& NotificationCenter::defaultCenter() {
  static NotificationCenter* center = new NotificationCenter();
  return *center;
}

NotificationCenter& NotificationCenter::distributedCenter() {
  static NotificationCenter* center = new NotificationCenter();
  return *center;
}

ObserverId NotificationCenter::addObserver(std::optional<std::string> name, const void* object,
                                           Delivery delivery, Observer observer) {
  if (!observer) return 0;
  if (name && name->empty()) name.reset();
  std::lock_guard lock(mutex_);
  const ObserverId id = nextId_++;
  entries_.push_back(Entry{id, std::move(name), object, delivery,
                           std::make_shared<Observer>(std::move(observer))});
  return id;
}

void NotificationCenter::removeObserver(ObserverId id) {
  std::lock_guard lock(mutex_);
  std::erase_if(entries_, [id](const Entry& entry) { return entry.id == id; });
}

bool NotificationCenter::isRegistered(ObserverId id) const {
  std::lock_guard lock(mutex_);
  return std::any_of(entries_.begin(), entries_.end(),
                     [id](const Entry& entry) { return entry.id == id; });
}

std::size_t NotificationCenter::observerCount() const {
  std::lock_guard lock(mutex_);
  return entries_.size();
}

void NotificationCenter::post(std::string name, const void* object, nlohmann::json userInfo) {
  post(Notification{std::move(name), object, std::move(userInfo), nullptr});
}

void NotificationCenter::post(Notification posted) {
  const void* object = posted.object;
  auto notification = std::make_shared<const Notification>(std::move(posted));
  std::vector<Entry> matching;
  {
    std::lock_guard lock(mutex_);
    for (const auto& entry : entries_) {
      if (entry.name && *entry.name != notification->name) continue;
      if (entry.object && entry.object != object) continue;
      matching.push_back(entry);
    }
  }
  auto& queue = MainQueue::shared();
  const bool onMain = queue.isMainThread();
  for (const auto& entry : matching) {
    // An observer removed by an earlier observer of this post is not called.
    if (!isRegistered(entry.id)) continue;
    if (entry.delivery == Delivery::Posting || onMain) {
      (*entry.observer)(*notification);
      continue;
    }
    queue.async([this, id = entry.id, observer = entry.observer, notification] {
      if (isRegistered(id)) (*observer)(*notification);
    });
  }
}

}  // namespace velquarin::platform
