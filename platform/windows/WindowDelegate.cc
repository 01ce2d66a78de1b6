#include "windows/WindowDelegate.h"

namespace velquarin::platform {

MethodTable<DocumentDragHandler>& windowDelegateOperations() {
  static auto* operations = new MethodTable<DocumentDragHandler>();
  return *operations;
}

bool dragDocumentIcon(Window& window, const Event& event, Pasteboard& pasteboard) {
  if (window.delegateClassName.empty()) return false;
  auto handler = windowDelegateOperations().lookup(window.delegateClassName, kShouldDragDocument);
  return handler && handler(window, event, pasteboard);
}

}  // namespace velquarin::platform
