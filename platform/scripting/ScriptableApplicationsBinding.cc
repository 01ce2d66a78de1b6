// Other applications' scripting interfaces, as tests and demos set them up and read them.

#include "binding/BindingRegistry.h"
#include "scripting/ScriptableApplications.h"

namespace velquarin::binding {
namespace {

using platform::ScriptableApplications;

std::optional<std::vector<std::string>> textList(Napi::Value value) {
  std::vector<std::string> list;
  if (value.IsUndefined()) return list;
  if (!value.IsArray()) return std::nullopt;
  auto array = value.As<Napi::Array>();
  for (uint32_t i = 0; i < array.Length(); ++i) {
    auto element = array.Get(i);
    if (!element.IsString()) return std::nullopt;
    list.push_back(element.As<Napi::String>());
  }
  return list;
}

// registerScriptableApplication(id, {selectors: [..], raising?: [..]}).
Napi::Value registerScriptableApplication(const Napi::CallbackInfo& info) {
  auto env = info.Env();
  if (failIf(env, !info[0].IsString() || !info[1].IsObject(),
             "registerScriptableApplication(id, {selectors, raising?})")) {
    return env.Undefined();
  }
  auto description = info[1].As<Napi::Object>();
  auto selectors = textList(description.Get("selectors"));
  auto raising = textList(description.Get("raising"));
  if (failIf(env, !selectors || !raising, "selectors and raising are arrays of strings")) {
    return env.Undefined();
  }
  ScriptableApplications::add(info[0].As<Napi::String>(),
                              {std::move(*selectors), std::move(*raising)});
  return env.Undefined();
}

Napi::Value unregisterScriptableApplication(const Napi::CallbackInfo& info) {
  auto env = info.Env();
  if (failIf(env, !info[0].IsString(), "unregisterScriptableApplication(id)"))
    return env.Undefined();
  return Napi::Boolean::New(env, ScriptableApplications::remove(info[0].As<Napi::String>()));
}

// scriptingMessages(id): [{receiver, selector, arguments}] in the order they were sent.
Napi::Value scriptingMessages(const Napi::CallbackInfo& info) {
  auto env = info.Env();
  if (failIf(env, !info[0].IsString(), "scriptingMessages(id)")) return env.Undefined();
  auto list = nlohmann::json::array();
  for (const auto& message : ScriptableApplications::messages(info[0].As<Napi::String>())) {
    list.push_back({{"receiver", message.receiver},
                    {"selector", message.selector},
                    {"arguments", message.arguments}});
  }
  auto parse = env.Global().Get("JSON").As<Napi::Object>().Get("parse").As<Napi::Function>();
  const auto text = list.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
  return parse.Call({Napi::String::New(env, text)});
}

void install(Napi::Env, Napi::Object exports) {
  exportFunction(exports, "registerScriptableApplication", registerScriptableApplication);
  exportFunction(exports, "unregisterScriptableApplication", unregisterScriptableApplication);
  exportFunction(exports, "scriptingMessages", scriptingMessages);
}

const Registrar registrar(install);

}  // namespace
}  // namespace velquarin::binding
