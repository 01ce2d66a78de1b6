#include "WebView/ZqReplaceMethod.h"

std::function<velquarin::platform::DragHandler> ZqReplaceMethod(
    const std::string& cls, const std::string& selector, const std::string& keptSelector,
    std::function<velquarin::platform::DragHandler> method) {
  auto& methods = velquarin::platform::draggingDestinationMethods();
  if (auto current = methods.lookup(cls, selector)) methods.add(cls, keptSelector, current);
  return methods.replace(cls, selector, std::move(method));
}
