// Controls that act as a script would on the application's scripting model, and the names
// under which the application serves on the session bus.
//
// A reference is null (the application), {key, id, container?} (an element by unique ID) or
// {key, index, container?} (an element by index); a missing container is the application.
// Objects come back as their references (objects without one as records of their fields);
// records given where objects are expected are made into objects of the expected class.
// Refusals throw an Error whose `code` is "UnknownObject", "InvalidArgs" or "NotAllowed".

#include <cmath>

#include "binding/BindingRegistry.h"
#include "bus/ApplicationBus.h"
#include "scripting/Scripting.h"

namespace velquarin::binding {
namespace {

using platform::ObjectSpecifier;
using platform::ScriptError;
using platform::Scripting;
using platform::ScriptObjectPtr;
using platform::ScriptProperty;
using platform::ScriptValue;

constexpr double kMaxSafeInteger = 9007199254740991.0;

void raise(Napi::Env env, const ScriptError& error) {
  static const char* const codes[] = {"UnknownObject", "InvalidArgs", "NotAllowed"};
  auto exception = Napi::Error::New(env, error.message);
  exception.Set("code", Napi::String::New(env, codes[static_cast<int>(error.kind)]));
  exception.ThrowAsJavaScriptException();
}

std::optional<std::int64_t> integerOf(Napi::Value value) {
  if (value.IsBigInt()) {
    bool lossless = false;
    const std::int64_t number = value.As<Napi::BigInt>().Int64Value(&lossless);
    return lossless ? std::optional(number) : std::nullopt;
  }
  if (!value.IsNumber()) return std::nullopt;
  const double number = value.As<Napi::Number>().DoubleValue();
  if (std::trunc(number) != number || std::fabs(number) > kMaxSafeInteger) return std::nullopt;
  return static_cast<std::int64_t>(number);
}

std::optional<ObjectSpecifier> specifierOf(Napi::Value value) {
  if (value.IsNull() || value.IsUndefined()) return ObjectSpecifier::application();
  if (!value.IsObject()) return std::nullopt;
  auto object = value.As<Napi::Object>();
  const auto key = object.Get("key");
  if (!key.IsString()) return std::nullopt;
  auto container = specifierOf(object.Get("container"));
  if (!container) return std::nullopt;
  if (const auto id = integerOf(object.Get("id"))) {
    return ObjectSpecifier::uniqueID(*container, key.As<Napi::String>(), *id);
  }
  if (const auto index = integerOf(object.Get("index"))) {
    return ObjectSpecifier::index(*container, key.As<Napi::String>(), *index);
  }
  return std::nullopt;
}

bool isReference(Napi::Value value) {
  return value.IsObject() && value.As<Napi::Object>().Has("key") &&
         (value.As<Napi::Object>().Has("id") || value.As<Napi::Object>().Has("index"));
}

Napi::Value specifierToJs(Napi::Env env, const ObjectSpecifier& specifier) {
  if (specifier.form == ObjectSpecifier::Form::Application) return env.Null();
  auto object = Napi::Object::New(env);
  object.Set("key", specifier.key);
  const char* field = specifier.form == ObjectSpecifier::Form::UniqueID ? "id" : "index";
  object.Set(field, Napi::Number::New(env, static_cast<double>(specifier.value)));
  if (specifier.container && specifier.container->form != ObjectSpecifier::Form::Application) {
    object.Set("container", specifierToJs(env, *specifier.container));
  }
  return object;
}

Napi::Value toJs(Napi::Env env, const ScriptValue& value) {
  if (const auto* flag = value.as<bool>()) return Napi::Boolean::New(env, *flag);
  if (const auto* number = value.as<std::int64_t>()) {
    if (std::fabs(static_cast<double>(*number)) > kMaxSafeInteger) {
      return Napi::BigInt::New(env, *number);
    }
    return Napi::Number::New(env, static_cast<double>(*number));
  }
  if (const auto* text = value.as<std::string>()) return Napi::String::New(env, *text);
  if (const auto* list = value.as<ScriptValue::List>()) {
    auto array = Napi::Array::New(env, list->size());
    for (std::size_t i = 0; i < list->size(); ++i) {
      array.Set(static_cast<uint32_t>(i), toJs(env, (*list)[i]));
    }
    return array;
  }
  if (const auto* object = value.as<ScriptObjectPtr>(); object && *object) {
    if (auto specifier = (*object)->objectSpecifier()) return specifierToJs(env, *specifier);
    auto record = Napi::Object::New(env);
    if (const auto* cls = Scripting::shared().classOf(**object)) {
      for (const auto& property : cls->properties) {
        if (property.get) record.Set(property.key, toJs(env, property.get(**object)));
      }
    }
    return record;
  }
  return env.Null();
}

platform::ScriptResult<ScriptValue> fromJs(Napi::Value value, const ScriptProperty& property);

platform::ScriptResult<ScriptValue> objectFromJs(Napi::Value value,
                                                 const ScriptProperty& property) {
  if (isReference(value)) {
    const auto specifier = specifierOf(value);
    if (!specifier) return {ScriptError{ScriptError::Kind::InvalidArgs, "Not a reference"}};
    auto resolved = Scripting::shared().resolve(*specifier);
    if (resolved.error) return {resolved.error};
    return {{}, ScriptValue(resolved.value)};
  }
  if (!value.IsObject() || value.IsArray()) {
    return {ScriptError{ScriptError::Kind::InvalidArgs, "Expected a record or a reference"}};
  }
  platform::ScriptProperties fields;
  const auto* cls = Scripting::shared().definition()
                        ? Scripting::shared().definition()->classNamed(property.objectClass)
                        : nullptr;
  auto record = value.As<Napi::Object>();
  const auto names = record.GetPropertyNames();
  for (std::uint32_t i = 0; i < names.Length(); ++i) {
    const std::string name = names.Get(i).ToString();
    const ScriptProperty* field = cls ? cls->property(name) : nullptr;
    if (!field) {
      return {ScriptError{ScriptError::Kind::InvalidArgs, "Unknown property \"" + name + "\""}};
    }
    auto converted = fromJs(record.Get(name), *field);
    if (converted.error) return converted;
    fields.emplace_back(name, std::move(converted.value));
  }
  auto made = Scripting::shared().makeValueObject(property.objectClass, fields);
  if (made.error) return {made.error};
  return {{}, ScriptValue(made.value)};
}

platform::ScriptResult<ScriptValue> fromJs(Napi::Value value, const ScriptProperty& property) {
  if (value.IsNull() || value.IsUndefined()) return {};
  if (value.IsBoolean()) return {{}, ScriptValue(value.As<Napi::Boolean>().Value())};
  if (value.IsString()) return {{}, ScriptValue(value.As<Napi::String>().Utf8Value())};
  if (value.IsNumber() || value.IsBigInt()) {
    if (const auto number = integerOf(value)) return {{}, ScriptValue(*number)};
    return {ScriptError{ScriptError::Kind::InvalidArgs, "Not an integer"}};
  }
  if (value.IsArray()) {
    auto array = value.As<Napi::Array>();
    ScriptValue::List list;
    for (std::uint32_t i = 0; i < array.Length(); ++i) {
      auto item = objectFromJs(array.Get(i), property);
      if (item.error) return item;
      list.push_back(std::move(item.value));
    }
    return {{}, ScriptValue(std::move(list))};
  }
  if (value.IsObject()) return objectFromJs(value, property);
  return {ScriptError{ScriptError::Kind::InvalidArgs, "Unsupported value"}};
}

const ScriptProperty* propertyOf(const std::string& className, const std::string& key) {
  const auto definition = Scripting::shared().definition();
  const auto* cls = definition ? definition->classNamed(className) : nullptr;
  return cls ? cls->property(key) : nullptr;
}

bool badReference(Napi::Env env, const std::optional<ObjectSpecifier>& specifier) {
  if (specifier) return false;
  raise(env, {ScriptError::Kind::InvalidArgs, "Not a reference"});
  return true;
}

// scriptMake(className, container, key, properties?): the new object's reference.
Napi::Value scriptMake(const Napi::CallbackInfo& info) {
  auto env = info.Env();
  if (failIf(env, !info[0].IsString() || !info[2].IsString(),
             "scriptMake(className: string, container: reference, key: string, properties?)")) {
    return {};
  }
  const std::string className = info[0].As<Napi::String>();
  const auto container = specifierOf(info[1]);
  if (badReference(env, container)) return {};
  platform::ScriptProperties properties;
  if (info[3].IsObject()) {
    auto record = info[3].As<Napi::Object>();
    const auto names = record.GetPropertyNames();
    for (std::uint32_t i = 0; i < names.Length(); ++i) {
      const std::string name = names.Get(i).ToString();
      const ScriptProperty* property = propertyOf(className, name);
      if (!property) {
        raise(env, {ScriptError::Kind::InvalidArgs, "Unknown property \"" + name + "\""});
        return {};
      }
      auto value = fromJs(record.Get(name), *property);
      if (value.error) {
        raise(env, *value.error);
        return {};
      }
      properties.emplace_back(name, std::move(value.value));
    }
  }
  auto made =
      Scripting::shared().make(className, *container, info[2].As<Napi::String>(), properties);
  if (made.error) {
    raise(env, *made.error);
    return {};
  }
  return toJs(env, ScriptValue(made.value));
}

// scriptGet(reference, key): the property's value.
Napi::Value scriptGet(const Napi::CallbackInfo& info) {
  auto env = info.Env();
  if (failIf(env, !info[1].IsString(), "scriptGet(reference, key: string)")) return {};
  const auto specifier = specifierOf(info[0]);
  if (badReference(env, specifier)) return {};
  auto value = Scripting::shared().get(*specifier, info[1].As<Napi::String>());
  if (value.error) {
    raise(env, *value.error);
    return {};
  }
  return toJs(env, value.value);
}

// scriptSet(reference, key, value).
Napi::Value scriptSet(const Napi::CallbackInfo& info) {
  auto env = info.Env();
  if (failIf(env, !info[1].IsString(), "scriptSet(reference, key: string, value)")) return {};
  const auto specifier = specifierOf(info[0]);
  if (badReference(env, specifier)) return {};
  const std::string key = info[1].As<Napi::String>();
  auto object = Scripting::shared().resolve(*specifier);
  const auto* cls = object.error ? nullptr : Scripting::shared().classOf(*object.value);
  const ScriptProperty* property = cls ? cls->property(key) : nullptr;
  std::optional<ScriptError> error = object.error;
  if (!error && !property) error = ScriptError{ScriptError::Kind::InvalidArgs, "Unknown property"};
  if (!error) {
    auto value = fromJs(info[2], *property);
    error = value.error ? value.error : Scripting::shared().set(*specifier, key, value.value);
  }
  if (error) raise(env, *error);
  return env.Undefined();
}

// scriptDelete(reference).
Napi::Value scriptDelete(const Napi::CallbackInfo& info) {
  auto env = info.Env();
  const auto specifier = specifierOf(info[0]);
  if (badReference(env, specifier)) return {};
  if (auto error = Scripting::shared().remove(*specifier)) raise(env, *error);
  return env.Undefined();
}

// scriptCommand(reference, name): runs a class command ("compose").
Napi::Value scriptCommand(const Napi::CallbackInfo& info) {
  auto env = info.Env();
  if (failIf(env, !info[1].IsString(), "scriptCommand(reference, name: string)")) return {};
  const auto specifier = specifierOf(info[0]);
  if (badReference(env, specifier)) return {};
  auto result = Scripting::shared().perform(*specifier, info[1].As<Napi::String>());
  if (result.error) {
    raise(env, *result.error);
    return {};
  }
  return toJs(env, result.value);
}

// scriptingBusNames(): {unique, wellKnown, path}; names null while there are none.
Napi::Value scriptingBusNames(const Napi::CallbackInfo& info) {
  auto env = info.Env();
  auto& bus = platform::ApplicationBus::shared();
  const auto names = bus.names();
  auto result = Napi::Object::New(env);
  result.Set("unique", names.unique ? Napi::String::New(env, *names.unique) : env.Null());
  result.Set("wellKnown", names.wellKnown ? Napi::String::New(env, *names.wellKnown) : env.Null());
  result.Set("path", Napi::String::New(env, bus.objectPath()));
  return result;
}

void install(Napi::Env, Napi::Object exports) {
  exportFunction(exports, "scriptMake", scriptMake);
  exportFunction(exports, "scriptGet", scriptGet);
  exportFunction(exports, "scriptSet", scriptSet);
  exportFunction(exports, "scriptDelete", scriptDelete);
  exportFunction(exports, "scriptCommand", scriptCommand);
  exportFunction(exports, "scriptingBusNames", scriptingBusNames);
}

const Registrar registrar(install);

}  // namespace
}  // namespace velquarin::binding
