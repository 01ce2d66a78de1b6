#include "windows/WindowRegistry.h"

#include <algorithm>
#include <cstring>
#include <random>

#include <utility>

#include "runtime/ClassRegistry.h"
#include "screen/Screen.h"
#include "windows/WindowOrdering.h"

namespace velquarin::platform {

WindowRegistry& WindowRegistry::shared() {
  static WindowRegistry* registry = new WindowRegistry();
  return *registry;
}

WindowRegistry::WindowRegistry() {
  // A random salt makes handles of this process unpredictable, so bytes that merely look
  // like a handle (or come from another process) do not designate a window.
  std::random_device device;
  salt_ = (std::uint64_t{device()} << 32) ^ device();
}

std::shared_ptr<Window> WindowRegistry::create(std::string className,
                                               const std::string& superclass) {
  if (!superclass.empty()) ClassRegistry::shared().declare(className, superclass);
  std::lock_guard lock(mutex_);
  std::uint64_t handle;
  do {
    handle = salt_ ^ (++counter_ * 0x9E3779B97F4A7C15ull);
  } while (handle == 0 || findLocked(handle));
  auto window = std::make_shared<Window>(handle, std::move(className));
  windows_.push_back(window);
  return window;
}

void WindowRegistry::close(std::uint64_t handle) {
  auto window = find(handle);
  if (!window || window->closing_) return;  // an observer of the closing may close it again
  window->closing_ = true;
  WindowOrdering::post(kWindowWillCloseNotification, *window);
  WindowOrdering::resignForClose(window);
  {
    std::lock_guard lock(mutex_);
    window->open_ = false;
    window->sheets_.clear();
    std::erase(windows_, window);
  }
  WindowOrdering::promoteNext();
}

bool WindowRegistry::setBackingScaleFactor(double factor) {
  const double old = Screen::backingScaleFactor();
  if (!Screen::setBackingScaleFactor(factor)) return false;
  if (old == factor) return true;
  for (const auto& window : windows()) {
    if (!window->isOpen()) continue;  // closed by an observer of an earlier one
    WindowOrdering::post(kWindowDidChangeBackingPropertiesNotification, *window,
                         {{"NSBackingPropertyOldScaleFactorKey", old}});
  }
  return true;
}

std::shared_ptr<Window> WindowRegistry::findLocked(std::uint64_t handle) const {
  auto it = std::find_if(windows_.begin(), windows_.end(),
                         [handle](const auto& window) { return window->handle() == handle; });
  return it == windows_.end() ? nullptr : *it;
}

std::shared_ptr<Window> WindowRegistry::find(std::uint64_t handle) const {
  std::lock_guard lock(mutex_);
  return findLocked(handle);
}

std::shared_ptr<Window> WindowRegistry::find(std::span<const std::uint8_t> handleBytes) const {
  if (handleBytes.size() < sizeof(std::uint64_t)) return nullptr;
  std::uint64_t handle;
  std::memcpy(&handle, handleBytes.data(), sizeof handle);
  return find(handle);
}

std::vector<std::shared_ptr<Window>> WindowRegistry::windows() const {
  std::lock_guard lock(mutex_);
  return windows_;
}

std::vector<std::shared_ptr<Window>> WindowRegistry::windowsOfClass(
    const std::string& className) const {
  std::vector<std::shared_ptr<Window>> result;
  for (auto& window : windows()) {
    if (window->className() == className) result.push_back(window);
  }
  return result;
}

WindowHandleBytes WindowRegistry::bytesOf(std::uint64_t handle) {
  WindowHandleBytes bytes;
  std::memcpy(bytes.data(), &handle, sizeof handle);
  return bytes;
}

}  // namespace velquarin::platform
