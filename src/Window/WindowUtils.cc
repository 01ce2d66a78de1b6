#include "Window/WindowUtils.h"

#include <algorithm>
#include <cstdio>
#include <mutex>

#include "AppleScript/ZqCurrentState.h"
#include "Exports.h"
#include "Extensions/NSWindow+ZqExtensions.h"
#include "Pasteboard/NSPasteboard+ZqExtensions.h"
#include "Utilities/ZqCallbackSlot.h"
#include "Utilities/ZqConvert.h"
#include "Utilities/ZqLog.h"
#include "Utilities/ZqStartupStep.h"
#include "application/Application.h"
#include "runloop/MainQueue.h"
#include "runtime/ClassRegistry.h"
#include "windows/WindowDelegate.h"
#include "windows/WindowOrdering.h"
#include "windows/WindowRegistry.h"

using velquarin::platform::Notification;
using velquarin::platform::NotificationCenter;
using velquarin::platform::Window;
using velquarin::platform::WindowOrdering;
using velquarin::platform::WindowRegistry;

namespace {

constexpr double kBackingRepostDelay = 5;
constexpr const char* kDelayedKey = "ZqDelayedNotification";

struct NameMapping {
  const char* notification;
  const char* sent;
};

constexpr NameMapping kNames[] = {
    {velquarin::platform::kWindowDidResignMainNotification, "did-resign-main"},
    {velquarin::platform::kWindowDidBecomeMainNotification, "did-become-main"},
    {velquarin::platform::kWindowDidResignKeyNotification, "did-resign-key"},
    {velquarin::platform::kWindowDidBecomeKeyNotification, "did-become-key"},
};

ZqCallbackSlot& notificationCallback() {
  static auto* slot = new ZqCallbackSlot("window notification callback");
  return *slot;
}

ZqCallbackSlot& traitCallback() {
  static auto* slot = new ZqCallbackSlot("window trait callback");
  return *slot;
}

// The window a platform notice names: its handle travels as the value.
std::shared_ptr<Window> windowOf(const Notification& notification) {
  if (!notification.value.is_number_unsigned()) return nullptr;
  return WindowRegistry::shared().find(notification.value.get<std::uint64_t>());
}

std::string describe(const Notification& notification, const Window& window) {
  char handle[32];
  std::snprintf(handle, sizeof handle, "%016llx", static_cast<unsigned long long>(window.handle()));
  return "{name = " + notification.name + "; object = <" + window.className() + ": 0x" + handle +
         ">; userInfo = " + notification.userInfo.dump() + "}";
}

// The title-bar drag: the page URL (the web URL with option held) with the page title.
bool shouldDragDocument(Window&, const velquarin::platform::Event&,
                        velquarin::platform::Pasteboard& pasteboard) {
  const auto& current = velquarin::platform::Application::shared().currentEvent();
  const bool option = current && current->has(velquarin::platform::EventModifierFlags::Option);
  const auto url = option ? GetCurrentWebURL() : GetCurrentURL();
  const auto title = GetCurrentTitle();
  // An empty address is no page to drag; an empty title is an ordinary page.
  if (!url || url->empty() || !title) return false;
  zq_declareURLPasteboardWithAdditionalTypes(pasteboard, {});
  zq_setURL(pasteboard, *url, *title);
  return true;
}

const ZqStartupStep delegateMethods(7, "ZqInstallDelegateMethods",
                                    [](Napi::Env) { ZqInstallDelegateMethods(); });
const ZqStartupStep windowNotifications(8, "ZqListenForWindowNotifications",
                                        [](Napi::Env) { ZqListenForWindowNotifications(); });

}  // namespace

bool ZqIsBrowserWindow(const Window* window) {
  return window && window->isKindOf(velquarin::platform::kHostWindowClass);
}

ZqWindowUtils& ZqWindowUtils::sharedInstance() {
  static auto* instance = new ZqWindowUtils();
  return *instance;
}

void ZqWindowUtils::registerCallbacks() {
  if (std::exchange(registered_, true)) return;
  auto& center = NotificationCenter::defaultCenter();
  const auto delivery = NotificationCenter::Delivery::MainQueue;
  for (const auto& name : kNames) {
    center.addObserver(std::string(name.notification), nullptr, delivery,
                       [this](const Notification& each) { windowNotification(each); });
  }
  center.addObserver(
      std::string(velquarin::platform::kWindowDidChangeBackingPropertiesNotification), nullptr,
      delivery, [this](const Notification& each) { windowDidChangeScreenBacking(each); });
}

void ZqWindowUtils::windowNotification(const Notification& notification) {
  const auto mapping = std::find_if(std::begin(kNames), std::end(kNames), [&](const auto& each) {
    return notification.name == each.notification;
  });
  if (mapping == std::end(kNames)) {
    ZQ_LOG_WARN("Unknown notification %@", notification.name);
    return;
  }
  auto window = windowOf(notification);
  if (!ZqIsBrowserWindow(window.get()) || !notificationCallback().isSet()) return;
  const std::string name = mapping->sent;
  notificationCallback().invoke([&](Napi::Env env) -> std::vector<napi_value> {
    return {Napi::String::New(env, name), ToBuffer(env, window.get())};
  });
}

void ZqWindowUtils::windowDidChangeScreenBacking(const Notification& notification) {
  if (notification.userInfo.is_object() && notification.userInfo.contains(kDelayedKey)) return;
  auto window = windowOf(notification);
  if (!ZqIsBrowserWindow(window.get())) return;
  Notification copy = notification;
  if (!copy.userInfo.is_object()) copy.userInfo = nlohmann::json::object();
  copy.userInfo[kDelayedKey] = true;
  // The copy holds its window; one closed meanwhile is not announced again.
  velquarin::platform::MainQueue::shared().after(kBackingRepostDelay, [window, copy] {
    if (!window->isOpen()) return;
    ZQ_LOG_INFO("Post delayed notification %@", describe(copy, *window));
    Notification posted = copy;
    posted.object = window.get();
    NotificationCenter::defaultCenter().post(std::move(posted));
  });
}

void ZqInstallDelegateMethods() {
  const std::string delegateClass = velquarin::platform::kHostWindowDelegateClass;
  if (!velquarin::platform::ClassRegistry::shared().exists(delegateClass)) return;
  velquarin::platform::windowDelegateOperations().add(
      delegateClass, velquarin::platform::kShouldDragDocument, shouldDragDocument);
}

void ZqListenForWindowNotifications() {
  ZqWindowUtils::sharedInstance().registerCallbacks();
}

void ZqSetWindowNotificationCallback(Napi::Value function) {
  notificationCallback().set(function);
}

void ZqSetQueryWindowTraitCallback(Napi::Value function) {
  traitCallback().set(function);
}

void ZqHideWindowContent(const std::shared_ptr<Window>& window, std::int32_t delayMilliseconds) {
  if (!window) {
    ZQ_LOG_ERROR("Need a view with a window to to hide window content: %@", nullptr);
    return;
  }
  window->makeFirstResponder(nullptr);
  window->contentView()->setAlphaValue(0);
  std::weak_ptr<Window> weak = window;
  auto restore = [weak] {
    auto held = weak.lock();
    if (!held || !held->isOpen()) return;
    auto content = held->contentView();
    content->setAlphaValue(1);
    held->makeFirstResponder(content);
  };
  auto& queue = velquarin::platform::MainQueue::shared();
  if (delayMilliseconds <= 0) {
    queue.async(std::move(restore));
  } else {
    queue.after(delayMilliseconds / 1000.0, std::move(restore));
  }
}

void ZqResizeWindowContent(const std::shared_ptr<Window>& window, std::int32_t width,
                           std::int32_t height) {
  if (!window) {
    ZQ_LOG_ERROR("Need a window to change content size");
    return;
  }
  zq_resizeContent(*window, std::max(0.0, static_cast<double>(width)),
                   std::max(0.0, static_cast<double>(height)), true);
}

namespace zq::entries {

Napi::Value resizeWindowContent(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 3);
  ZQ_CONTRACT(args[0]->IsObject());
  ZQ_CONTRACT(args[1]->IsInt32());
  ZQ_CONTRACT(args[2]->IsInt32());
  ZqResizeWindowContent(ToWindow(args.at(0)), ZqInt32Value(args.at(1)), ZqInt32Value(args.at(2)));
  return info.Env().Undefined();
}

}  // namespace zq::entries
