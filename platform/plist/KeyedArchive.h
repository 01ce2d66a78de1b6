#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include <plist/plist.h>

namespace velquarin::platform {

// Readers for keyed archives in a parsed property list. Each answers null or nothing for a
// missing node or one of another type, so a hostile archive simply stops matching.
plist_t plistMember(plist_t dictionary, const char* key);
std::optional<std::uint64_t> plistUnsigned(plist_t node);
std::optional<std::uint64_t> plistUid(plist_t node);
std::optional<std::string> plistString(plist_t node);

// The entry of `$objects` a UID names; null when the UID is missing or out of range.
plist_t archivedObject(plist_t objects, std::optional<std::uint64_t> uid);

}  // namespace velquarin::platform
