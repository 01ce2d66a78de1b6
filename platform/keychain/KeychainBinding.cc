#include <cmath>

#include "binding/BindingRegistry.h"
#include "keychain/Keychain.h"

namespace velquarin::binding {
namespace {

namespace keychain = platform::keychain;

// setKeychainTimeout(seconds): how long one credential-store call may take before it fails;
// returns the previous value. For tests that make the store hang.
Napi::Value setKeychainTimeout(const Napi::CallbackInfo& info) {
  if (failIf(info.Env(), info.Length() < 1 || !info[0].IsNumber(),
             "setKeychainTimeout(seconds: number)")) {
    return {};
  }
  const double seconds = info[0].As<Napi::Number>().DoubleValue();
  if (failIf(info.Env(), !std::isfinite(seconds) || seconds <= 0 || seconds > 600,
             "setKeychainTimeout: seconds must be above 0 and at most 600")) {
    return {};
  }
  const double previous = keychain::callTimeout();
  keychain::setCallTimeout(seconds);
  return Napi::Number::New(info.Env(), previous);
}

void install(Napi::Env, Napi::Object exports) {
  exportFunction(exports, "setKeychainTimeout", setKeychainTimeout);
}

const Registrar registrar(install);

}  // namespace
}  // namespace velquarin::binding
