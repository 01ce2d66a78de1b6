#include "binding/BindingRegistry.h"
#include "screen/Screen.h"
#include "windows/WindowRegistry.h"

namespace velquarin::binding {
namespace {

using platform::Screen;
using platform::WindowRegistry;

// setBackingScaleFactor(factor): the main screen's pixels a point, from 1 to 16; each open
// window hears a change.
Napi::Value setBackingScaleFactor(const Napi::CallbackInfo& info) {
  if (failIf(info.Env(), info.Length() < 1 || !info[0].IsNumber(),
             "setBackingScaleFactor(factor: number)")) {
    return {};
  }
  const bool taken =
      WindowRegistry::shared().setBackingScaleFactor(info[0].As<Napi::Number>().DoubleValue());
  if (failIf(info.Env(), !taken, "setBackingScaleFactor: factor must be from 1 to 16")) return {};
  return info.Env().Undefined();
}

Napi::Value backingScaleFactor(const Napi::CallbackInfo& info) {
  return Napi::Number::New(info.Env(), Screen::backingScaleFactor());
}

void install(Napi::Env, Napi::Object exports) {
  exportFunction(exports, "setBackingScaleFactor", setBackingScaleFactor);
  exportFunction(exports, "backingScaleFactor", backingScaleFactor);
}

const Registrar registrar(install);

}  // namespace
}  // namespace velquarin::binding
