#include "binding/BindingRegistry.h"
#include "reachability/Reachability.h"

namespace velquarin::binding {
namespace {

namespace reachability = platform::reachability;

// reachabilityFlags(): the flag word of the general-internet target now, or null when the
// kernel cannot be asked.
Napi::Value reachabilityFlags(const Napi::CallbackInfo& info) {
  const auto flags = reachability::internetFlags();
  if (!flags) return info.Env().Null();
  return Napi::Number::New(info.Env(), static_cast<double>(*flags));
}

// reachabilityMonitors(): how many targets listen to the kernel's change messages.
Napi::Value reachabilityMonitors(const Napi::CallbackInfo& info) {
  return Napi::Number::New(info.Env(), static_cast<double>(reachability::scheduledTargets()));
}

void install(Napi::Env, Napi::Object exports) {
  exportFunction(exports, "reachabilityFlags", reachabilityFlags);
  exportFunction(exports, "reachabilityMonitors", reachabilityMonitors);
}

const Registrar registrar(install);

}  // namespace
}  // namespace velquarin::binding
