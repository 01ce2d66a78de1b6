#pragma once

#include "runtime/MethodTable.h"
#include "windows/Window.h"

namespace velquarin::platform {

struct Event;
class Pasteboard;

// Operations of window delegate classes, by selector, looked up along the delegate class's
// chain: a module adds its own to the host's delegate class.
inline constexpr const char* kShouldDragDocument =
    "window:shouldDragDocumentWithEvent:from:withPasteboard:";
using DocumentDragHandler = bool(Window&, const Event&, Pasteboard&);
MethodTable<DocumentDragHandler>& windowDelegateOperations();

// The user drags the title bar's document icon: the delegate is asked whether to drag and
// fills the drag pasteboard. False (no drag) when the window has no delegate answering it.
bool dragDocumentIcon(Window& window, const Event& event, Pasteboard& pasteboard);

}  // namespace velquarin::platform
