#pragma once

#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include <plist/plist.h>

namespace velquarin::platform {

struct PlistDeleter {
  void operator()(plist_t node) const { plist_free(node); }
};
using PlistPtr = std::unique_ptr<void, PlistDeleter>;

// Parses XML or binary property-list bytes; null on malformed or absurdly nested input.
PlistPtr parsePropertyList(const std::string& bytes);

// The JSON form of a property list: dictionaries, arrays, strings, integers, reals and
// booleans map one to one; dates become seconds since 2001-01-01 UTC, data becomes null.
nlohmann::json propertyListToJson(plist_t node);

// Reads a property-list file (at most `maxBytes`) as JSON; nullopt when it cannot be read.
std::optional<nlohmann::json> readPropertyListFile(const std::string& path,
                                                   std::size_t maxBytes = 16 << 20);

}  // namespace velquarin::platform
