#include "windows/DraggingDestination.h"

namespace velquarin::platform {

MethodTable<DragHandler>& draggingDestinationMethods() {
  static auto* table = new MethodTable<DragHandler>();  // leaked: lives as long as the classes
  return *table;
}

std::optional<unsigned long> sendDragMessage(View& view, const std::string& selector,
                                             const DraggingInfo& info) {
  auto method = draggingDestinationMethods().lookup(view.className(), selector);
  if (!method) return std::nullopt;
  return method(view, info);
}

}  // namespace velquarin::platform
