#include "Window/ZqOverlayView.h"

#include "runtime/ClassRegistry.h"

ZqOverlayView::ZqOverlayView(velquarin::platform::Rect frame) {
  velquarin::platform::ClassRegistry::shared().declare(kClassName, "NSView");
  view_ = velquarin::platform::View::create(kClassName, frame);
}

velquarin::platform::Color ZqOverlayView::backgroundColor() const {
  std::lock_guard lock(mutex_);
  return backgroundColor_;
}

void ZqOverlayView::setBackgroundColor(velquarin::platform::Color color) {
  std::lock_guard lock(mutex_);
  backgroundColor_ = color;
}

void ZqOverlayView::drawRect(velquarin::platform::Graphics& graphics) const {
  graphics.fillRect(view_->frame(), backgroundColor());
}
