#include <cmath>
#include <limits>
#include <optional>
#include <string>

#include "JsonValue.h"
#include "binding/BindingRegistry.h"
#include "defaults/UserDefaults.h"

namespace velquarin::binding {
namespace {

using platform::PlistArray;
using platform::PlistData;
using platform::PlistDate;
using platform::PlistDictionary;
using platform::PlistValue;
using platform::UserDefaults;

// Host values nest no deeper than this (and a value that contains itself stops here).
constexpr int kMaxDepth = 64;

// The options argument: {domain: "global"} selects the global domain, else the application's.
std::shared_ptr<UserDefaults> storeFor(const Napi::CallbackInfo& info, std::size_t index) {
  if (info.Length() > index && info[index].IsObject()) {
    auto domain = info[index].As<Napi::Object>().Get("domain");
    if (domain.IsString() && domain.As<Napi::String>().Utf8Value() == "global") {
      return UserDefaults::global();
    }
  }
  return UserDefaults::standard();
}

std::optional<std::string> typeOption(const Napi::CallbackInfo& info, std::size_t index) {
  if (info.Length() <= index || !info[index].IsObject()) return std::nullopt;
  auto type = info[index].As<Napi::Object>().Get("type");
  if (!type.IsString()) return std::nullopt;
  return type.As<Napi::String>().Utf8Value();
}

bool isDate(Napi::Env env, Napi::Value value) {
  bool result = false;
  return napi_is_date(env, value, &result) == napi_ok && result;
}

// A host value as a property-list value; nullopt (with a TypeError pending) when it has none.
std::optional<PlistValue> toPlist(Napi::Env env, Napi::Value value, int depth,
                                  const std::optional<std::string>& numberType) {
  if (depth > kMaxDepth) {
    failIf(env, true, "defaultsWrite: the value nests too deeply (or contains itself)");
    return std::nullopt;
  }
  if (value.IsBoolean()) return PlistValue(value.As<Napi::Boolean>().Value());
  if (value.IsNumber()) {
    const double number = value.As<Napi::Number>().DoubleValue();
    const bool integral = std::isfinite(number) && std::trunc(number) == number &&
                          std::fabs(number) <= 9007199254740991.0;
    if (numberType == "integer" && !integral) {
      failIf(env, true, "defaultsWrite: type 'integer' needs a safe integer");
      return std::nullopt;
    }
    if (numberType == "real" || !integral) return PlistValue(number);
    return PlistValue(static_cast<std::int64_t>(number));
  }
  if (value.IsBigInt()) {
    bool lossless = false;
    const auto integer = value.As<Napi::BigInt>().Int64Value(&lossless);
    if (failIf(env, !lossless, "defaultsWrite: the bigint does not fit 64 bits")) {
      return std::nullopt;
    }
    return PlistValue(integer);
  }
  if (value.IsString()) return PlistValue(value.As<Napi::String>().Utf8Value());
  if (value.IsTypedArray()) {
    auto array = value.As<Napi::TypedArray>();
    auto buffer = array.ArrayBuffer();
    const auto* bytes = static_cast<const std::uint8_t*>(buffer.Data()) + array.ByteOffset();
    return PlistValue(PlistData(bytes, bytes + array.ByteLength()));
  }
  if (value.IsArrayBuffer()) {
    auto buffer = value.As<Napi::ArrayBuffer>();
    const auto* bytes = static_cast<const std::uint8_t*>(buffer.Data());
    return PlistValue(PlistData(bytes, bytes + buffer.ByteLength()));
  }
  if (isDate(env, value)) {
    double milliseconds = 0;
    napi_get_date_value(env, value, &milliseconds);
    return PlistValue(PlistDate::fromUnixSeconds(milliseconds / 1000));
  }
  if (value.IsArray()) {
    auto array = value.As<Napi::Array>();
    PlistArray result;
    for (uint32_t i = 0; i < array.Length(); ++i) {
      auto element = array.Get(i);
      if (env.IsExceptionPending()) return std::nullopt;
      auto item = toPlist(env, element, depth + 1, std::nullopt);
      if (!item) return std::nullopt;
      result.push_back(std::move(*item));
    }
    return PlistValue(std::move(result));
  }
  if (value.IsObject() && !value.IsFunction()) {
    auto object = value.As<Napi::Object>();
    auto names = object.GetPropertyNames();
    PlistDictionary result;
    for (uint32_t i = 0; i < names.Length(); ++i) {
      auto name = names.Get(i);
      auto element = object.Get(name);  // a getter may throw
      if (env.IsExceptionPending()) return std::nullopt;
      auto item = toPlist(env, element, depth + 1, std::nullopt);
      if (!item) return std::nullopt;
      result.insert_or_assign(name.ToString().Utf8Value(), std::move(*item));
    }
    return PlistValue(std::move(result));
  }
  failIf(env, true,
         "defaultsWrite: values are booleans, numbers, bigints, strings, buffers, dates, arrays "
         "and plain objects");
  return std::nullopt;
}

Napi::Value toHost(Napi::Env env, const PlistValue& value) {
  switch (value.type()) {
    case PlistValue::Type::Boolean:
      return Napi::Boolean::New(env, *value.asBoolean());
    case PlistValue::Type::Integer:
      if (auto big = value.asUnsignedInteger()) return node::integerToJs(env, *big);
      return node::integerToJs(env, *value.asInteger());
    case PlistValue::Type::Real:
      return Napi::Number::New(env, *value.asReal());
    case PlistValue::Type::String:
      return Napi::String::New(env, *value.asString());
    case PlistValue::Type::Data: {
      const auto& data = *value.asData();
      return Napi::Buffer<std::uint8_t>::Copy(env, data.data(), data.size());
    }
    case PlistValue::Type::Date: {
      napi_value date = nullptr;
      napi_create_date(env, value.asDate()->unixSeconds() * 1000, &date);
      return Napi::Value(env, date);
    }
    case PlistValue::Type::Array: {
      const auto& items = *value.asArray();
      auto array = Napi::Array::New(env, items.size());
      for (std::size_t i = 0; i < items.size(); ++i) {
        array.Set(static_cast<uint32_t>(i), toHost(env, items[i]));
      }
      return array;
    }
    case PlistValue::Type::Dictionary:
      break;
  }
  auto object = Napi::Object::New(env);
  for (const auto& [key, item] : *value.asDictionary()) {
    // Defined, not assigned: a key named "__proto__" stays an ordinary property.
    object.DefineProperty(Napi::PropertyDescriptor::Value(
        Napi::String::New(env, key), toHost(env, item), napi_default_jsproperty));
  }
  return object;
}

bool keyArgument(const Napi::CallbackInfo& info, const char* usage) {
  return !failIf(info.Env(), info.Length() < 1 || !info[0].IsString(), usage);
}

// defaultsRead(key, {domain}?): the stored value, undefined when absent.
Napi::Value defaultsRead(const Napi::CallbackInfo& info) {
  if (!keyArgument(info, "defaultsRead(key: string, options?: {domain?: 'global'})")) return {};
  auto value = storeFor(info, 1)->value(info[0].As<Napi::String>().Utf8Value());
  return value ? toHost(info.Env(), *value) : info.Env().Undefined();
}

// defaultsWrite(key, value, {domain, type: 'integer' | 'real'}?): stores a value as other
// code of the application would; null or undefined removes the key.
Napi::Value defaultsWrite(const Napi::CallbackInfo& info) {
  if (!keyArgument(info, "defaultsWrite(key: string, value, options?: {domain?, type?})")) {
    return {};
  }
  auto store = storeFor(info, 2);
  const std::string key = info[0].As<Napi::String>().Utf8Value();
  if (info.Length() < 2 || info[1].IsNull() || info[1].IsUndefined()) {
    store->remove(key);
    return info.Env().Undefined();
  }
  auto value = toPlist(info.Env(), info[1], 0, typeOption(info, 2));
  if (!value) return {};
  store->set(key, std::move(*value));
  return info.Env().Undefined();
}

// defaultsRemove(key, {domain}?)
Napi::Value defaultsRemove(const Napi::CallbackInfo& info) {
  if (!keyArgument(info, "defaultsRemove(key: string, options?: {domain?: 'global'})")) return {};
  storeFor(info, 1)->remove(info[0].As<Napi::String>().Utf8Value());
  return info.Env().Undefined();
}

// defaultsSynchronize({domain}?): writes pending changes now; false when they stay pending.
Napi::Value defaultsSynchronize(const Napi::CallbackInfo& info) {
  return Napi::Boolean::New(info.Env(), storeFor(info, 0)->synchronize());
}

// defaultsDictionary({domain}?): every key and value of the domain.
Napi::Value defaultsDictionary(const Napi::CallbackInfo& info) {
  return toHost(info.Env(), PlistValue(storeFor(info, 0)->dictionaryRepresentation()));
}

// defaultsHasPendingChanges({domain}?): whether changes wait to be written.
Napi::Value defaultsHasPendingChanges(const Napi::CallbackInfo& info) {
  return Napi::Boolean::New(info.Env(), storeFor(info, 0)->hasPendingChanges());
}

// defaultsPath({domain}?): the domain's file.
Napi::Value defaultsPath(const Napi::CallbackInfo& info) {
  return Napi::String::New(info.Env(), storeFor(info, 0)->path());
}

void install(Napi::Env, Napi::Object exports) {
  exportFunction(exports, "defaultsRead", defaultsRead);
  exportFunction(exports, "defaultsWrite", defaultsWrite);
  exportFunction(exports, "defaultsRemove", defaultsRemove);
  exportFunction(exports, "defaultsSynchronize", defaultsSynchronize);
  exportFunction(exports, "defaultsDictionary", defaultsDictionary);
  exportFunction(exports, "defaultsHasPendingChanges", defaultsHasPendingChanges);
  exportFunction(exports, "defaultsPath", defaultsPath);
}

const Registrar registrar(install);

}  // namespace
}  // namespace velquarin::binding
