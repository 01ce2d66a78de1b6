// Another application sending this one an event, as the binding's user.

#include <cmath>

#include "binding/BindingRegistry.h"
#include "scripting/AppleEvents.h"

namespace velquarin::binding {
namespace {

using platform::AppleEventManager;
using platform::FourCharCode;

// A four-character string or a 32-bit unsigned number.
std::optional<FourCharCode> codeOf(Napi::Value value) {
  if (value.IsString()) return platform::fourCharCode(value.As<Napi::String>().Utf8Value());
  if (!value.IsNumber()) return std::nullopt;
  const double number = value.As<Napi::Number>().DoubleValue();
  if (std::trunc(number) != number || number < 0 || number > 4294967295.0) return std::nullopt;
  return static_cast<FourCharCode>(number);
}

// sendAppleEvent(eventClass, eventID): {handled, reply}; reply is the direct-object list of
// strings, null when the handler put none there.
Napi::Value sendAppleEvent(const Napi::CallbackInfo& info) {
  auto env = info.Env();
  const auto eventClass = codeOf(info[0]);
  const auto eventID = codeOf(info[1]);
  if (failIf(env, !eventClass || !eventID,
             "sendAppleEvent(eventClass, eventID): four-character strings or 32-bit numbers")) {
    return env.Undefined();
  }
  const auto reply = AppleEventManager::shared().dispatch(*eventClass, *eventID);
  auto result = Napi::Object::New(env);
  result.Set("handled", reply.has_value());
  Napi::Value list = env.Null();
  if (reply) {
    auto direct = reply->parameters.find(platform::kKeyDirectObject);
    if (direct != reply->parameters.end()) {
      const auto& items = direct->second.items();
      auto array = Napi::Array::New(env, items.size());
      for (std::size_t i = 0; i < items.size(); ++i) array.Set(static_cast<uint32_t>(i), items[i]);
      list = array;
    }
  }
  result.Set("reply", list);
  return result;
}

void install(Napi::Env, Napi::Object exports) {
  exportFunction(exports, "sendAppleEvent", sendAppleEvent);
}

const Registrar registrar(install);

}  // namespace
}  // namespace velquarin::binding
