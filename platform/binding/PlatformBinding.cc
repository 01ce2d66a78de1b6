// The platform's own add-on: how hosts and tests act as the desktop around the module.

#include <napi.h>

#include "UvLoopDriver.h"
#include "binding/BindingRegistry.h"

namespace {

napi_env firstEnvironment = nullptr;

Napi::Object Init(Napi::Env env, Napi::Object exports) {
  // The platform has one state per process; a second environment (a worker thread) would
  // share it from another thread.
  if (firstEnvironment && firstEnvironment != static_cast<napi_env>(env)) {
    Napi::Error::New(env,
                     "VelquarinPlatform is already loaded in another environment of this "
                     "process; load it from the main thread only")
        .ThrowAsJavaScriptException();
    return exports;
  }
  firstEnvironment = env;
  velquarin::node::UvLoopDriver::attach(env);
  velquarin::binding::installAll(env, exports);
  return exports;
}

}  // namespace

NODE_API_MODULE(VelquarinPlatform, Init)
