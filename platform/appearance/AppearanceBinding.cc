#include "appearance/Appearance.h"
#include "binding/BindingRegistry.h"

namespace velquarin::binding {
namespace {

using platform::Appearance;

// setAppearance('light' | 'dark'): the desktop switches; observers of the distributed
// centre see the theme-changed notification when the appearance differs.
Napi::Value setAppearance(const Napi::CallbackInfo& info) {
  std::optional<platform::AppearanceStyle> style;
  if (info.Length() > 0 && info[0].IsString()) {
    style = Appearance::fromName(info[0].As<Napi::String>().Utf8Value());
  }
  if (failIf(info.Env(), !style, "setAppearance(appearance: 'light' | 'dark')")) return {};
  Appearance::set(*style);
  return info.Env().Undefined();
}

// appearance(): 'light' or 'dark'.
Napi::Value appearance(const Napi::CallbackInfo& info) {
  return Napi::String::New(info.Env(), Appearance::name(Appearance::current()));
}

// reloadAppearance(): reads the desktop's preference again; returns what it says.
Napi::Value reloadAppearance(const Napi::CallbackInfo& info) {
  return Napi::String::New(info.Env(), Appearance::name(Appearance::reload()));
}

void install(Napi::Env, Napi::Object exports) {
  exportFunction(exports, "setAppearance", setAppearance);
  exportFunction(exports, "appearance", appearance);
  exportFunction(exports, "reloadAppearance", reloadAppearance);
}

const Registrar registrar(install);

}  // namespace
}  // namespace velquarin::binding
