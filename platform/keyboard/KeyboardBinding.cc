#include "binding/BindingRegistry.h"
#include "keyboard/KeyboardLayout.h"

namespace velquarin::binding {
namespace {

using platform::KeyboardLayout;

// setKeyboardLayout(layout, variant?): the layout keys are typed on from now on; null goes
// back to the system's. False for a layout that does not exist.
Napi::Value setKeyboardLayout(const Napi::CallbackInfo& info) {
  auto env = info.Env();
  if (info[0].IsNull()) {
    KeyboardLayout::resetCurrent();
    return Napi::Boolean::New(env, true);
  }
  if (failIf(env, !info[0].IsString() || !(info[1].IsString() || info[1].IsUndefined()),
             "setKeyboardLayout(layout: string | null, variant?: string)")) {
    return {};
  }
  platform::KeyboardLayoutName name{
      info[0].As<Napi::String>().Utf8Value(),
      info[1].IsString() ? info[1].As<Napi::String>().Utf8Value() : std::string()};
  return Napi::Boolean::New(env, KeyboardLayout::setCurrent(name));
}

// keyboardLayout(): {layout, variant} keys are typed on now.
Napi::Value keyboardLayout(const Napi::CallbackInfo& info) {
  const auto name = KeyboardLayout::current();
  auto result = Napi::Object::New(info.Env());
  result.Set("layout", name.layout);
  result.Set("variant", name.variant);
  return result;
}

void install(Napi::Env, Napi::Object exports) {
  exportFunction(exports, "setKeyboardLayout", setKeyboardLayout);
  exportFunction(exports, "keyboardLayout", keyboardLayout);
}

const Registrar registrar(install);

}  // namespace
}  // namespace velquarin::binding
