#pragma once

#include "runtime/MethodTable.h"
#include "windows/View.h"

namespace velquarin::platform {

struct Event;

// The key messages a view class answers ("keyDown:", "keyUp:", "flagsChanged:"), looked up
// along its class chain; true when the view took the event.
using KeyHandler = bool(View&, const Event&);
MethodTable<KeyHandler>& viewKeyOperations();

inline constexpr const char* kKeyDown = "keyDown:";
inline constexpr const char* kKeyUp = "keyUp:";
inline constexpr const char* kFlagsChanged = "flagsChanged:";

}  // namespace velquarin::platform
