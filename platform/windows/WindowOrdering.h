#pragma once

#include <memory>
#include <vector>

#include "windows/Window.h"

namespace velquarin::platform {

// Which windows are on screen, front to back, and which one takes the keyboard.
class WindowOrdering {
 public:
  // Shows the window in front of the others and gives it the keyboard.
  static void makeKeyAndOrderFront(const std::shared_ptr<Window>& window);
  // Hides the window; it is no longer key.
  static void orderOut(const std::shared_ptr<Window>& window);
  // The key window: open and shown; null when there is none.
  static std::shared_ptr<Window> keyWindow();
  // The open, shown windows ordered front first.
  static std::vector<std::shared_ptr<Window>> orderedWindows();
  // Moves the window to the middle of the main screen, keeping its size.
  static void center(Window& window);
};

}  // namespace velquarin::platform
