#include "windows/WindowOrdering.h"

#include <algorithm>
#include <mutex>

#include "notificationcenter/NotificationCenter.h"
#include "screen/Screen.h"
#include "windows/WindowRegistry.h"

namespace velquarin::platform {

namespace {

struct Order {
  std::mutex mutex;
  std::vector<std::uint64_t> frontFirst;  // handles of shown windows
  std::uint64_t key = 0;
  std::uint64_t main = 0;
  bool suspended = false;  // key and main are remembered, not held
};

Order& order() {
  static Order* shared = new Order();
  return *shared;
}

using WindowPtr = std::shared_ptr<Window>;

WindowPtr live(std::uint64_t handle) {
  auto window = handle ? WindowRegistry::shared().find(handle) : nullptr;
  return window && window->visible ? window : nullptr;
}

// Key and main as held now; both null while suspended.
std::pair<WindowPtr, WindowPtr> current() {
  Order& state = order();
  std::uint64_t key;
  std::uint64_t main;
  {
    std::lock_guard lock(state.mutex);
    if (state.suspended) return {};
    key = state.key;
    main = state.main;
  }
  return {live(key), live(main)};
}

// The front-most shown window that may be key (any) or main (no panels).
std::uint64_t frontMost(bool forMain) {
  for (const auto& window : WindowOrdering::orderedWindows()) {
    if (!forMain || window->canBecomeMain()) return window->handle();
  }
  return 0;
}

// Posts the notices that lead from `before` to what is held now.
void announce(const std::pair<WindowPtr, WindowPtr>& before) {
  const auto& [oldKey, oldMain] = before;
  auto [newKey, newMain] = current();
  if (oldMain && oldMain != newMain && current().second != oldMain) {
    WindowOrdering::post(kWindowDidResignMainNotification, *oldMain);
  }
  if (oldKey && oldKey != newKey && current().first != oldKey) {
    WindowOrdering::post(kWindowDidResignKeyNotification, *oldKey);
  }
  if (newMain && newMain != oldMain && current().second == newMain) {
    WindowOrdering::post(kWindowDidBecomeMainNotification, *newMain);
  }
  if (newKey && newKey != oldKey && current().first == newKey) {
    WindowOrdering::post(kWindowDidBecomeKeyNotification, *newKey);
  }
}

}  // namespace

void WindowOrdering::post(const char* name, const Window& window, nlohmann::json userInfo) {
  Notification notification{name, &window, std::move(userInfo), window.handle()};
  NotificationCenter::defaultCenter().post(std::move(notification));
}

void WindowOrdering::makeKeyAndOrderFront(const std::shared_ptr<Window>& window) {
  if (!window || !window->isOpen()) return;
  const auto before = current();
  window->visible = true;
  Order& state = order();
  {
    std::lock_guard lock(state.mutex);
    std::erase(state.frontFirst, window->handle());
    state.frontFirst.insert(state.frontFirst.begin(), window->handle());
    state.key = window->handle();
    if (window->canBecomeMain()) state.main = window->handle();
  }
  announce(before);
}

void WindowOrdering::orderOut(const std::shared_ptr<Window>& window) {
  if (!window) return;
  resignForClose(window);
  promoteNext();
}

void WindowOrdering::resignForClose(const std::shared_ptr<Window>& window) {
  const auto before = current();
  Order& state = order();
  {
    std::lock_guard lock(state.mutex);
    std::erase(state.frontFirst, window->handle());
    if (state.key == window->handle()) state.key = 0;
    if (state.main == window->handle()) state.main = 0;
  }
  window->visible = false;
  announce(before);
}

void WindowOrdering::promoteNext() {
  const auto before = current();
  const auto key = frontMost(false);
  const auto main = frontMost(true);
  Order& state = order();
  {
    std::lock_guard lock(state.mutex);
    if (!live(state.key)) state.key = key;
    if (!live(state.main)) state.main = main;
  }
  announce(before);
}

std::shared_ptr<Window> WindowOrdering::keyWindow() {
  return current().first;
}

std::shared_ptr<Window> WindowOrdering::mainWindow() {
  return current().second;
}

void WindowOrdering::suspend() {
  const auto before = current();
  Order& state = order();
  {
    std::lock_guard lock(state.mutex);
    state.suspended = true;
  }
  announce(before);
}

void WindowOrdering::resume() {
  Order& state = order();
  {
    std::lock_guard lock(state.mutex);
    if (!state.suspended) return;
  }
  const auto key = frontMost(false);
  const auto main = frontMost(true);
  {
    std::lock_guard lock(state.mutex);
    state.suspended = false;
    if (!live(state.key)) state.key = key;
    if (!live(state.main)) state.main = main;
  }
  announce({});  // everything held now is becoming
}

std::vector<std::shared_ptr<Window>> WindowOrdering::orderedWindows() {
  Order& state = order();
  std::vector<std::uint64_t> handles;
  {
    std::lock_guard lock(state.mutex);
    handles = state.frontFirst;
  }
  std::vector<std::shared_ptr<Window>> windows;
  for (std::uint64_t handle : handles) {
    if (auto window = live(handle)) windows.push_back(std::move(window));
  }
  return windows;
}

void WindowOrdering::center(Window& window) {
  const Rect screen = Screen::mainFrame();
  window.frame.x = screen.x + (screen.width - window.frame.width) / 2;
  window.frame.y = screen.y + (screen.height - window.frame.height) / 2;
}

}  // namespace velquarin::platform
