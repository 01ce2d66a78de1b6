#pragma once

#include <napi.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "windows/Window.h"

// Host to native and back. Strings are UTF-8 and end at their first NUL in both directions.

inline constexpr const char* kZqStringConversionFailed = "<string conversion failed>";

// Null and undefined give no string; any other value its JavaScript string form, or
// "<string conversion failed>" when that conversion throws.
std::optional<std::string> convertToString(Napi::Value value);
// The UTF-8 text of a value, "<string conversion failed>" when it has none.
std::string ToCString(Napi::Value value);
// A host string of `text` up to its first NUL; undefined when it cannot be made.
Napi::Value ZqToHostString(Napi::Env env, std::string_view text);
// A host string, or null for a missing value.
Napi::Value ZqToHostStringOrNull(Napi::Env env, const std::optional<std::string>& text);

// The live window a handle designates; null for a non-buffer, a buffer shorter than 8
// bytes, or a stale or foreign handle. The buffer's bytes are only compared, never followed.
std::shared_ptr<velquarin::platform::Window> ToWindow(Napi::Value value);
// A fresh 8-byte handle for `window`; null when there is no window or no buffer.
Napi::Value ToBuffer(Napi::Env env, const velquarin::platform::Window* window);

// A copy of a buffer's (or typed array's) bytes; nullopt for anything else.
std::optional<std::vector<std::uint8_t>> convertToData(Napi::Value value);

// The JavaScript number conversions, for values whose contract is met.
std::int32_t ZqInt32Value(Napi::Value value);
std::int64_t ZqIntegerValue(Napi::Value value);
double ZqNumberValue(Napi::Value value);
bool ZqBooleanValue(Napi::Value value);
