#pragma once

// Conversion between nlohmann::json and JavaScript values, for structured data that is not
// passed as JSON text (notification user info, binding results).

#include <napi.h>

#include <cmath>
#include <nlohmann/json.hpp>
#include <string>

namespace velquarin::node {

inline Napi::Value jsonToJs(Napi::Env env, const nlohmann::json& value) {
  switch (value.type()) {
    case nlohmann::json::value_t::object: {
      auto object = Napi::Object::New(env);
      for (const auto& [key, item] : value.items()) object.Set(key, jsonToJs(env, item));
      return object;
    }
    case nlohmann::json::value_t::array: {
      auto array = Napi::Array::New(env, value.size());
      for (std::size_t i = 0; i < value.size(); ++i) {
        array.Set(static_cast<uint32_t>(i), jsonToJs(env, value[i]));
      }
      return array;
    }
    case nlohmann::json::value_t::string:
      return Napi::String::New(env, value.get_ref<const std::string&>());
    case nlohmann::json::value_t::boolean:
      return Napi::Boolean::New(env, value.get<bool>());
    case nlohmann::json::value_t::number_integer:
      return Napi::Number::New(env, static_cast<double>(value.get<int64_t>()));
    case nlohmann::json::value_t::number_unsigned:
      return Napi::Number::New(env, static_cast<double>(value.get<uint64_t>()));
    case nlohmann::json::value_t::number_float:
      return Napi::Number::New(env, value.get<double>());
    default:
      return env.Null();
  }
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
    if (std::trunc(number) == number && std::fabs(number) < 9007199254740992.0) {
      return static_cast<int64_t>(number);
    }
    return number;
  }
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
