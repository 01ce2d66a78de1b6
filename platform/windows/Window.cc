#include "windows/Window.h"

#include <utility>

namespace velquarin::platform {

Window::Window(std::uint64_t handle, std::string className)
    : handle_(handle), className_(std::move(className)) {}

std::shared_ptr<View> Window::contentView() {
  if (!contentView_) {
    contentView_ = View::create("NSView", Rect{0, 0, 800, 600});
    contentView_->windowHandle_ = handle_;
  }
  return contentView_;
}

bool Window::makeFirstResponder(const std::shared_ptr<View>& view) {
  if (view) {
    auto root = view;
    while (auto parent = root->superview()) root = parent;
    if (root != contentView()) return false;
  }
  firstResponder_ = view;
  return true;
}

}  // namespace velquarin::platform
