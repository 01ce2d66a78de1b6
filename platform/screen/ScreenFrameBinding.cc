#include <cmath>

#include "binding/BindingRegistry.h"
#include "screen/Screen.h"

namespace velquarin::binding {
namespace {

using platform::Rect;
using platform::Screen;

double numberAt(const Napi::Object& object, const char* key) {
  const Napi::Value value = object.Get(key);
  return value.IsNumber() ? value.As<Napi::Number>().DoubleValue() : std::nan("");
}

// setMainScreenFrame({x, y, width, height}): the main screen's area in points.
Napi::Value setMainScreenFrame(const Napi::CallbackInfo& info) {
  static constexpr const char* usage =
      "setMainScreenFrame({x: number, y: number, width: number, height: number})";
  if (failIf(info.Env(), info.Length() < 1 || !info[0].IsObject(), usage)) return {};
  const auto object = info[0].As<Napi::Object>();
  const Rect frame{numberAt(object, "x"), numberAt(object, "y"), numberAt(object, "width"),
                   numberAt(object, "height")};
  if (failIf(info.Env(), !Screen::setMainFrame(frame), usage)) return {};
  return info.Env().Undefined();
}

Napi::Value mainScreenFrame(const Napi::CallbackInfo& info) {
  const Rect frame = Screen::mainFrame();
  auto result = Napi::Object::New(info.Env());
  result.Set("x", frame.x);
  result.Set("y", frame.y);
  result.Set("width", frame.width);
  result.Set("height", frame.height);
  return result;
}

void install(Napi::Env, Napi::Object exports) {
  exportFunction(exports, "setMainScreenFrame", setMainScreenFrame);
  exportFunction(exports, "mainScreenFrame", mainScreenFrame);
}

const Registrar registrar(install);

}  // namespace
}  // namespace velquarin::binding
