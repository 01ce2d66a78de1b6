#pragma once

// Conversion between nlohmann::json and JavaScript values, for structured data that is not
// passed as JSON text (notification user info, represented objects, binding results).
// Integers outside the range a double holds exactly become bigints, and bigints come back as
// 64-bit integers, so identifiers never change on the way.

#include <napi.h>

#include <cmath>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>

namespace velquarin::node {

inline constexpr std::int64_t kMaxSafeInteger = 9007199254740991LL;  // 2^53 - 1

inline Napi::Value integerToJs(Napi::Env env, std::int64_t number) {
  if (number < -kMaxSafeInteger || number > kMaxSafeInteger) return Napi::BigInt::New(env, number);
  return Napi::Number::New(env, static_cast<double>(number));
}

inline Napi::Value integerToJs(Napi::Env env, std::uint64_t number) {
  if (number > static_cast<std::uint64_t>(kMaxSafeInteger)) return Napi::BigInt::New(env, number);
  return Napi::Number::New(env, static_cast<double>(number));
}

// Nesting deeper than `maxDepth` becomes null.
inline Napi::Value jsonToJs(Napi::Env env, const nlohmann::json& value, int maxDepth = 64) {
  if (maxDepth <= 0) return env.Null();
  switch (value.type()) {
    case nlohmann::json::value_t::object: {
      auto object = Napi::Object::New(env);
      for (const auto& [key, item] : value.items()) {
        object.Set(key, jsonToJs(env, item, maxDepth - 1));
      }
      return object;
    }
    case nlohmann::json::value_t::array: {
      auto array = Napi::Array::New(env, value.size());
      for (std::size_t i = 0; i < value.size(); ++i) {
        array.Set(static_cast<uint32_t>(i), jsonToJs(env, value[i], maxDepth - 1));
      }
      return array;
    }
    case nlohmann::json::value_t::string:
      return Napi::String::New(env, value.get_ref<const std::string&>());
    case nlohmann::json::value_t::boolean:
      return Napi::Boolean::New(env, value.get<bool>());
    case nlohmann::json::value_t::number_integer:
      return integerToJs(env, value.get<std::int64_t>());
    case nlohmann::json::value_t::number_unsigned:
      return integerToJs(env, value.get<std::uint64_t>());
    case nlohmann::json::value_t::number_float:
      return Napi::Number::New(env, value.get<double>());
    default:
      return env.Null();
  }
}

// A bigint that fits 64 bits (signed, else unsigned); null otherwise.
inline nlohmann::json bigIntToJson(Napi::BigInt value) {
  bool lossless = false;
  const std::int64_t signedValue = value.Int64Value(&lossless);
  if (lossless) return signedValue;
  const std::uint64_t unsignedValue = value.Uint64Value(&lossless);
  if (lossless) return unsignedValue;
  return nullptr;
}

// Plain data only: functions, symbols and undefined become null; nesting deeper than
// `maxDepth` (which also stops cycles) becomes null.
inline nlohmann::json jsToJson(Napi::Value value, int maxDepth = 64) {
  if (maxDepth <= 0 || value.IsEmpty()) return nullptr;
  if (value.IsString()) return value.As<Napi::String>().Utf8Value();
  if (value.IsBoolean()) return value.As<Napi::Boolean>().Value();
  if (value.IsNumber()) {
    const double number = value.As<Napi::Number>().DoubleValue();
    if (!std::isfinite(number)) return nullptr;
    if (std::trunc(number) == number && std::fabs(number) <= kMaxSafeInteger) {
      return static_cast<std::int64_t>(number);
    }
    return number;
  }
  if (value.IsBigInt()) return bigIntToJson(value.As<Napi::BigInt>());
  if (value.IsArray()) {
    auto array = value.As<Napi::Array>();
    auto result = nlohmann::json::array();
    for (uint32_t i = 0; i < array.Length(); ++i) {
      result.push_back(jsToJson(array.Get(i), maxDepth - 1));
    }
    return result;
  }
  if (value.IsObject() && !value.IsFunction()) {
    auto object = value.As<Napi::Object>();
    auto result = nlohmann::json::object();
    auto names = object.GetPropertyNames();
    for (uint32_t i = 0; i < names.Length(); ++i) {
      Napi::Value key = names.Get(i);
      if (!key.IsString()) continue;
      result[key.As<Napi::String>().Utf8Value()] = jsToJson(object.Get(key), maxDepth - 1);
    }
    return result;
  }
  return nullptr;
}

}  // namespace velquarin::node
