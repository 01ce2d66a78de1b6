#include "binding/BindingRegistry.h"
#include "bundle/Bundle.h"

namespace velquarin::binding {
namespace {

using platform::Bundle;

// setMainBundlePath(path): the host's own bundle replaces the sample bundle.
Napi::Value setMainBundlePath(const Napi::CallbackInfo& info) {
  if (failIf(info.Env(), info.Length() < 1 || !info[0].IsString(),
             "setMainBundlePath(path: string)")) {
    return {};
  }
  Bundle::setMainPath(info[0].As<Napi::String>().Utf8Value());
  return info.Env().Undefined();
}

Napi::Value mainBundlePath(const Napi::CallbackInfo& info) {
  return Napi::String::New(info.Env(), Bundle::main()->path());
}

void install(Napi::Env, Napi::Object exports) {
  exportFunction(exports, "setMainBundlePath", setMainBundlePath);
  exportFunction(exports, "mainBundlePath", mainBundlePath);
}

const Registrar registrar(install);

}  // namespace
}  // namespace velquarin::binding
