#include "windows/Responder.h"

#include <map>

#include "notificationcenter/NotificationCenter.h"
#include "windows/WindowRegistry.h"

namespace velquarin::platform {

namespace {

std::map<std::uint64_t, std::weak_ptr<Responder>>& links() {
  static auto* links = [] {
    auto* map = new std::map<std::uint64_t, std::weak_ptr<Responder>>();
    NotificationCenter::defaultCenter().addObserver(
        kWindowWillCloseNotification, nullptr, NotificationCenter::Delivery::Posting,
        [map](const Notification& note) {
          if (auto* window = static_cast<const Window*>(note.object)) map->erase(window->handle());
        });
    return map;
  }();
  return *links;
}

}  // namespace

std::shared_ptr<Responder> windowNextResponder(std::uint64_t windowHandle) {
  const auto found = links().find(windowHandle);
  return found == links().end() ? nullptr : found->second.lock();
}

void setWindowNextResponder(std::uint64_t windowHandle, const std::shared_ptr<Responder>& next) {
  if (next) {
    links()[windowHandle] = next;
  } else {
    links().erase(windowHandle);
  }
}

}  // namespace velquarin::platform
