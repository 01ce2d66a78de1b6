#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>

// Compact JSON text of an object or array; nullopt (and an error line) when it cannot be
// written, for example a string that is not UTF-8.
std::optional<std::string> ZqConvertToJSONString(const nlohmann::json& object);

// Parses JSON text whose top level is an object or an array. On failure returns nullopt and
// stores a description in `error` (when given); logs nothing, callers decide.
std::optional<nlohmann::json> ZqConvertFromJSONString(std::string_view text,
                                                      std::string* error = nullptr);
