#pragma once

#include <optional>

#include "Shortcuts/MASShortcut.h"
#include "plist/PlistValue.h"

// Shortcuts as dictionaries {"keyCode", "modifierFlags"}; no shortcut is the empty one.
namespace MASDictionaryTransformer {

inline constexpr const char* kName = "MASDictionaryTransformer";

velquarin::platform::PlistDictionary transformedValue(const std::optional<MASShortcut>& shortcut);
// A shortcut only when both entries are integers.
std::optional<MASShortcut> reverseTransformedValue(const velquarin::platform::PlistValue& value);

}  // namespace MASDictionaryTransformer
