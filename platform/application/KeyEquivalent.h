#pragma once

#include "application/Event.h"
#include "menus/MenuItem.h"

namespace velquarin::platform {

// Whether a key-down event is the item's key equivalent, as the desktop matches them:
// characters ignoring modifiers (shift still applied) against the equivalent, and command,
// option, control and shift against the item's mask. An upper-case letter asks for shift
// ("D" is command-shift-d, "d" never is); for other characters shift may have made the
// character ("{" is command-shift-[ on a US layout). Other flags never matter.
bool matchesKeyEquivalent(const MenuItem& item, const Event& event);

}  // namespace velquarin::platform
