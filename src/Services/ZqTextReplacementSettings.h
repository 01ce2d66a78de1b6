#pragma once

#include <nlohmann/json.hpp>
#include <optional>

// The user's typing settings for the compose view, read afresh on every call from the
// application's defaults and the global domain:
//   "text-replacements"     [] when the application switched replacements off, else the
//                           global "NSUserDictionaryReplacementItems" as stored
//   "dash-substitution?"    the application's switch when set, else the global one
//   "period-substitution?"  the global switch
// Absent values leave their key out. nullopt when a stored value cannot be JSON (a date,
// data, a number that is not finite).
std::optional<nlohmann::json> ZqTextReplacementSettings();
