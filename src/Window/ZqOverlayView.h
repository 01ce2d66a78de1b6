#pragma once

#include <memory>
#include <mutex>

#include "drawing/Graphics.h"
#include "windows/View.h"

// A view that fills its frame with one colour (class "ZqOverlayView", below "NSView"), for
// covering a window's content. The colour may be set from any thread.
class ZqOverlayView {
 public:
  static constexpr const char* kClassName = "ZqOverlayView";

  explicit ZqOverlayView(velquarin::platform::Rect frame);
  const std::shared_ptr<velquarin::platform::View>& view() const { return view_; }

  velquarin::platform::Color backgroundColor() const;
  void setBackgroundColor(velquarin::platform::Color color);
  void drawRect(velquarin::platform::Graphics& graphics) const;

 private:
  std::shared_ptr<velquarin::platform::View> view_;
  mutable std::mutex mutex_;
  velquarin::platform::Color backgroundColor_{};
};
