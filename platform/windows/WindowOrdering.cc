#include "windows/WindowOrdering.h"

#include <algorithm>
#include <mutex>

#include "screen/Screen.h"
#include "windows/WindowRegistry.h"

namespace velquarin::platform {

namespace {

struct Order {
  std::mutex mutex;
  std::vector<std::uint64_t> frontFirst;  // handles of shown windows
  std::uint64_t key = 0;
};

Order& order() {
  static Order* shared = new Order();
  return *shared;
}

}  // namespace

void WindowOrdering::makeKeyAndOrderFront(const std::shared_ptr<Window>& window) {
  if (!window || !window->isOpen()) return;
  window->visible = true;
  Order& state = order();
  std::lock_guard lock(state.mutex);
  std::erase(state.frontFirst, window->handle());
  state.frontFirst.insert(state.frontFirst.begin(), window->handle());
  state.key = window->handle();
}

void WindowOrdering::orderOut(const std::shared_ptr<Window>& window) {
  if (!window) return;
  window->visible = false;
  Order& state = order();
  std::lock_guard lock(state.mutex);
  std::erase(state.frontFirst, window->handle());
  if (state.key == window->handle()) state.key = 0;
}

std::shared_ptr<Window> WindowOrdering::keyWindow() {
  Order& state = order();
  std::uint64_t key;
  {
    std::lock_guard lock(state.mutex);
    key = state.key;
  }
  auto window = key ? WindowRegistry::shared().find(key) : nullptr;
  return window && window->visible ? window : nullptr;
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
    auto window = WindowRegistry::shared().find(handle);
    if (window && window->visible) windows.push_back(std::move(window));
  }
  return windows;
}

void WindowOrdering::center(Window& window) {
  const Rect screen = Screen::mainFrame();
  window.frame.x = screen.x + (screen.width - window.frame.width) / 2;
  window.frame.y = screen.y + (screen.height - window.frame.height) / 2;
}

}  // namespace velquarin::platform
