#pragma once

#include <memory>

#include "windows/DraggingDestination.h"

// The drag that dropFiles makes: files on the system drag pasteboard, at a point of the
// window, offering a copy, from no window.
class ZqDraggingInfo final : public velquarin::platform::DraggingInfo {
 public:
  explicit ZqDraggingInfo(velquarin::platform::Point location);

  velquarin::platform::Point draggingLocation() const override { return location_; }
  std::shared_ptr<velquarin::platform::Pasteboard> draggingPasteboard() const override {
    return pasteboard_;
  }
  std::shared_ptr<velquarin::platform::Window> draggingDestinationWindow() const override {
    return nullptr;
  }
  unsigned long draggingSourceOperationMask() const override {
    return velquarin::platform::kDragOperationCopy;
  }
  long draggingSequenceNumber() const override { return 0; }

 private:
  velquarin::platform::Point location_;
  std::shared_ptr<velquarin::platform::Pasteboard> pasteboard_;
};
