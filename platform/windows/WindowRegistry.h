#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "windows/Window.h"

namespace velquarin::platform {

// Posted on the default centre, with the window as object, before a window goes away.
inline constexpr const char* kWindowWillCloseNotification = "WindowWillCloseNotification";

using WindowHandleBytes = std::array<std::uint8_t, 8>;

// The live windows of the process. Handles are never reused, so a stale handle finds nothing.
class WindowRegistry {
 public:
  static WindowRegistry& shared();

  // A window of `className`, declared below `superclass` first when one is given (a class
  // keeps the superclass it was first declared with).
  std::shared_ptr<Window> create(std::string className, const std::string& superclass = {});
  // Posts kWindowWillCloseNotification and the window's resignations while it can still be
  // found, forgets it, then the next windows become main and key. Unknown handles are ignored.
  void close(std::uint64_t handle);
  // Sets the screens' backing scale (Screen holds it; false when refused there); a change
  // posts the backing-properties notice for each open window (userInfo
  // "NSBackingPropertyOldScaleFactorKey").
  bool setBackingScaleFactor(double factor);
  std::shared_ptr<Window> find(std::uint64_t handle) const;
  // The window a host buffer designates: the first 8 bytes in native byte order. Shorter,
  // stale or foreign bytes give null.
  std::shared_ptr<Window> find(std::span<const std::uint8_t> handleBytes) const;
  std::vector<std::shared_ptr<Window>> windows() const;
  std::vector<std::shared_ptr<Window>> windowsOfClass(const std::string& className) const;

  static WindowHandleBytes bytesOf(std::uint64_t handle);

 private:
  WindowRegistry();
  std::shared_ptr<Window> findLocked(std::uint64_t handle) const;

  mutable std::mutex mutex_;
  std::vector<std::shared_ptr<Window>> windows_;  // in creation order
  std::uint64_t salt_;
  std::uint64_t counter_ = 0;
};

}  // namespace velquarin::platform
