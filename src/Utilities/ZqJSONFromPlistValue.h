#pragma once

#include <nlohmann/json.hpp>
#include <optional>

#include "plist/PlistValue.h"

// A property-list value as JSON; nullopt when it holds what JSON cannot: a date, data, or a
// real that is not finite.
std::optional<nlohmann::json> ZqJSONFromPlistValue(const velquarin::platform::PlistValue& value);
