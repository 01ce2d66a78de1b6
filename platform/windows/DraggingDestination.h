#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "runtime/MethodTable.h"
#include "windows/View.h"

namespace velquarin::platform {

class Pasteboard;
class Window;

// Drag operations, as a mask of what a source allows and as a destination's answer.
inline constexpr unsigned long kDragOperationNone = 0;
inline constexpr unsigned long kDragOperationCopy = 1;

// The four messages a drag sends to the view under it.
inline constexpr const char* kDraggingEntered = "draggingEntered:";
inline constexpr const char* kDraggingUpdated = "draggingUpdated:";
inline constexpr const char* kDraggingExited = "draggingExited:";
inline constexpr const char* kPerformDragOperation = "performDragOperation:";

// What a destination learns of a drag in progress.
class DraggingInfo {
 public:
  virtual ~DraggingInfo() = default;
  // In the destination window's coordinates (points from its lower-left corner).
  virtual Point draggingLocation() const = 0;
  virtual std::shared_ptr<Pasteboard> draggingPasteboard() const = 0;
  // Null when the drag has no window (a synthetic one).
  virtual std::shared_ptr<Window> draggingDestinationWindow() const = 0;
  virtual unsigned long draggingSourceOperationMask() const = 0;
  virtual long draggingSequenceNumber() const = 0;
};

// The drag-destination operations of every view class, replaceable at run time; a class
// inherits its superclass's.
using DragHandler = unsigned long(View& view, const DraggingInfo& info);
MethodTable<DragHandler>& draggingDestinationMethods();

// Sends one of the messages to the view; nullopt when its class has no such operation.
std::optional<unsigned long> sendDragMessage(View& view, const std::string& selector,
                                             const DraggingInfo& info);

}  // namespace velquarin::platform
