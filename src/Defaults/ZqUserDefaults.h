#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

#include "plist/PlistValue.h"

// The bridge between host values and the application's standard user defaults.

// A host value as setUserDefault classifies it: a boolean, an int32 number, a string, null
// (remove the key), or anything else (std::monostate: nothing is stored).
using ZqUserDefaultInput =
    std::variant<std::monostate, std::nullptr_t, bool, std::int32_t, std::string>;

// What getUserDefault answers: null for an absent key, a boolean, an int32, a string, or
// undefined (ZqUndefinedDefault) for stored kinds the host is not given.
struct ZqUndefinedDefault {
  bool operator==(const ZqUndefinedDefault&) const = default;
};
using ZqUserDefaultOutput =
    std::variant<std::nullptr_t, bool, std::int32_t, std::string, ZqUndefinedDefault>;

// The stored-to-host table: a number whose integer value equals its boolean value (0 or 1,
// and booleans) reads as that boolean, any other number as its integer value cut towards
// zero, held to the int32 range.
ZqUserDefaultOutput ZqUserDefaultHostValue(
    const std::optional<velquarin::platform::PlistValue>& stored);

void ZqSetUserDefault(const std::string& key, const ZqUserDefaultInput& value);
ZqUserDefaultOutput ZqGetUserDefault(const std::string& key);
void ZqRemoveUserDefault(const std::string& key);
void ZqSynchronizeUserDefaults();
