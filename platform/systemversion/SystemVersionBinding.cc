#include "binding/BindingRegistry.h"
#include "systemversion/SystemVersion.h"

namespace velquarin::binding {
namespace {

using platform::SystemVersion;

// setSystemVersion(version | null): pins the system version; null returns to the system's.
Napi::Value setSystemVersion(const Napi::CallbackInfo& info) {
  if (failIf(info.Env(), info.Length() < 1 || !(info[0].IsString() || info[0].IsNull()),
             "setSystemVersion(version: string | null)")) {
    return {};
  }
  if (info[0].IsNull()) {
    SystemVersion::setOverride(std::nullopt);
  } else {
    SystemVersion::setOverride(info[0].As<Napi::String>().Utf8Value());
  }
  return info.Env().Undefined();
}

Napi::Value systemVersion(const Napi::CallbackInfo& info) {
  return Napi::String::New(info.Env(), SystemVersion::current());
}

void install(Napi::Env, Napi::Object exports) {
  exportFunction(exports, "setSystemVersion", setSystemVersion);
  exportFunction(exports, "systemVersion", systemVersion);
}

const Registrar registrar(install);

}  // namespace
}  // namespace velquarin::binding
