#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "images/ImageTypes.h"
#include "windows/View.h"

namespace velquarin::platform {

// A top-level window of the process. The host refers to it by an opaque 8-byte handle
// that the registry looks up; nothing ever reads a window's address from host memory.
class Window {
 public:
  Window(std::uint64_t handle, std::string className);

  std::uint64_t handle() const { return handle_; }
  const std::string& className() const { return className_; }
  bool isOpen() const { return open_; }

  std::string title;
  bool visible = true;
  // The content area on the main screen, in points from its lower-left corner, and the
  // style (WindowStyle.h); key and front order are kept by WindowOrdering.h.
  Rect frame;
  unsigned styleMask = 0;

  // The root of the window's views (class "NSView", 800 x 600 points until set), made on
  // first use.
  std::shared_ptr<View> contentView();
  // The view keyboard events go to first; null when it is the window itself.
  std::shared_ptr<View> firstResponder() const { return firstResponder_.lock(); }
  // A view of this window's tree, or null for the window; false for a view of another tree.
  bool makeFirstResponder(const std::shared_ptr<View>& view);

 private:
  friend class WindowRegistry;
  std::uint64_t handle_;
  std::string className_;
  bool open_ = true;
  std::shared_ptr<View> contentView_;
  std::weak_ptr<View> firstResponder_;
};

}  // namespace velquarin::platform
