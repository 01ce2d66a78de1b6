#pragma once

#include <memory>
#include <nlohmann/json.hpp>
#include <vector>

#include "windows/Window.h"

namespace velquarin::platform {

// Posted on the default centre with the window as object and its handle as value.
inline constexpr const char* kWindowDidBecomeMainNotification = "WindowDidBecomeMainNotification";
inline constexpr const char* kWindowDidResignMainNotification = "WindowDidResignMainNotification";
inline constexpr const char* kWindowDidBecomeKeyNotification = "WindowDidBecomeKeyNotification";
inline constexpr const char* kWindowDidResignKeyNotification = "WindowDidResignKeyNotification";
inline constexpr const char* kWindowDidChangeBackingPropertiesNotification =
    "WindowDidChangeBackingPropertiesNotification";

// Which windows are on screen, front to back, which one takes the keyboard (key) and which
// one is the user's document window (main; never a panel). Changes post the resigning
// notices first (main, then key), then the becoming ones (main, then key); each notice is
// posted only while it still holds, so an observer that closes or clicks another window
// meanwhile leaves no stale notice behind. Main thread only.
class WindowOrdering {
 public:
  // Shows the window in front of the others and gives it the keyboard; it becomes main too
  // unless it is a panel.
  static void makeKeyAndOrderFront(const std::shared_ptr<Window>& window);
  // Hides the window; when it was key or main, the front-most other window takes over.
  static void orderOut(const std::shared_ptr<Window>& window);
  // The key and main windows: open and shown; null when there is none or the application
  // is hidden or inactive.
  static std::shared_ptr<Window> keyWindow();
  static std::shared_ptr<Window> mainWindow();
  // The open, shown windows ordered front first.
  static std::vector<std::shared_ptr<Window>> orderedWindows();
  // Moves the window to the middle of the main screen, keeping its size.
  static void center(Window& window);

  // The application hides or goes inactive: key and main resign and are remembered;
  // resume() gives them back (or to the front-most windows when they went meanwhile).
  static void suspend();
  static void resume();

  // For WindowRegistry::close: resignations while the window is still registered, then,
  // once it is gone, the next windows become main and key.
  static void resignForClose(const std::shared_ptr<Window>& window);
  static void promoteNext();

  // Posts `name` for the window: object the window, value its handle.
  static void post(const char* name, const Window& window, nlohmann::json userInfo = nullptr);
};

}  // namespace velquarin::platform
