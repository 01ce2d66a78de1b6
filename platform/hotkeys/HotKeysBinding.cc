#include "binding/BindingRegistry.h"
#include "binding/EventDescription.h"
#include "hotkeys/HotKeyCenter.h"
#include "keyboard/KeyCodes.h"

namespace velquarin::binding {
namespace {

using platform::HotKeyCenter;
using platform::HotKeyCombination;
namespace HotKeyModifiers = platform::HotKeyModifiers;

constexpr const char* kUsage =
    "a combination is {keyCode?: number | code?: string, modifiers?: string[] | number}";

// {keyCode | code, modifiers} as key events describe them; nullopt after a TypeError.
std::optional<HotKeyCombination> combinationOf(Napi::Env env, Napi::Value value) {
  if (failIf(env, !value.IsObject(), kUsage)) return std::nullopt;
  auto object = value.As<Napi::Object>();
  std::optional<std::uint16_t> keyCode;
  const auto code = object.Get("keyCode");
  if (code.IsNumber()) {
    const double number = code.As<Napi::Number>().DoubleValue();
    if (number >= 0 && number <= 0xffff && number == static_cast<std::uint16_t>(number)) {
      keyCode = static_cast<std::uint16_t>(number);
    }
  } else if (object.Get("code").IsString()) {
    const auto key = platform::keyCodeForDomCode(object.Get("code").As<Napi::String>().Utf8Value());
    if (key) keyCode = key->virtualKey;
  }
  const auto flags = modifierFlagsOf(object.Get("modifiers"));
  if (failIf(env, !keyCode || !flags, kUsage)) return std::nullopt;
  return HotKeyCombination{*keyCode, HotKeyModifiers::fromEventFlags(*flags)};
}

std::optional<std::vector<HotKeyCombination>> combinationsOf(Napi::Env env, Napi::Value value) {
  if (failIf(env, !value.IsArray(), "a list of combinations")) return std::nullopt;
  auto list = value.As<Napi::Array>();
  std::vector<HotKeyCombination> result;
  for (std::uint32_t i = 0; i < list.Length(); ++i) {
    auto combination = combinationOf(env, list.Get(i));
    if (!combination) return std::nullopt;
    result.push_back(*combination);
  }
  return result;
}

// pressGlobalKey({keyCode | code, modifiers}): the user presses a combination anywhere on
// the desktop; true when one of the process's hot keys fired.
Napi::Value pressGlobalKey(const Napi::CallbackInfo& info) {
  auto combination = combinationOf(info.Env(), info[0]);
  if (!combination) return {};
  return Napi::Boolean::New(info.Env(), HotKeyCenter::shared().press(*combination));
}

// setHotKeysTakenElsewhere(list): combinations other programs hold; registering one fails.
Napi::Value setHotKeysTakenElsewhere(const Napi::CallbackInfo& info) {
  auto list = combinationsOf(info.Env(), info[0]);
  if (!list) return {};
  HotKeyCenter::shared().setTakenElsewhere(std::move(*list));
  return info.Env().Undefined();
}

// setSystemHotKeys(list | null): the desktop's own shortcuts, each a combination with
// `enabled` (default true); null: the list cannot be read.
Napi::Value setSystemHotKeys(const Napi::CallbackInfo& info) {
  auto env = info.Env();
  if (info[0].IsNull()) {
    HotKeyCenter::shared().setSymbolicHotKeys(std::nullopt);
    return env.Undefined();
  }
  auto list = combinationsOf(env, info[0]);
  if (!list) return {};
  std::vector<platform::SymbolicHotKey> entries;
  auto array = info[0].As<Napi::Array>();
  for (std::uint32_t i = 0; i < array.Length(); ++i) {
    const auto enabled = array.Get(i).As<Napi::Object>().Get("enabled");
    entries.push_back({(*list)[i], !enabled.IsBoolean() || enabled.As<Napi::Boolean>()});
  }
  HotKeyCenter::shared().setSymbolicHotKeys(std::move(entries));
  return env.Undefined();
}

// registeredHotKeys(): [{keyCode, modifiers (hot-key bits), signature, id}].
Napi::Value registeredHotKeys(const Napi::CallbackInfo& info) {
  auto env = info.Env();
  const auto registrations = HotKeyCenter::shared().registrations();
  auto result = Napi::Array::New(env, registrations.size());
  for (std::uint32_t i = 0; i < registrations.size(); ++i) {
    auto entry = Napi::Object::New(env);
    entry.Set("keyCode", registrations[i].combination.keyCode);
    entry.Set("modifiers", registrations[i].combination.modifiers);
    entry.Set("signature", registrations[i].identifier.signature);
    entry.Set("id", registrations[i].identifier.id);
    result.Set(i, entry);
  }
  return result;
}

// hotKeyBackend(): "x11" or "in-process".
Napi::Value hotKeyBackend(const Napi::CallbackInfo& info) {
  return Napi::String::New(info.Env(), HotKeyCenter::shared().backendName());
}

void install(Napi::Env, Napi::Object exports) {
  exportFunction(exports, "pressGlobalKey", pressGlobalKey);
  exportFunction(exports, "setHotKeysTakenElsewhere", setHotKeysTakenElsewhere);
  exportFunction(exports, "setSystemHotKeys", setSystemHotKeys);
  exportFunction(exports, "registeredHotKeys", registeredHotKeys);
  exportFunction(exports, "hotKeyBackend", hotKeyBackend);
}

const Registrar registrar(install);

}  // namespace
}  // namespace velquarin::binding
