// An empty Node-API add-on with one empty function: the floor the module is measured against.
#include <napi.h>

namespace {

Napi::Value empty(const Napi::CallbackInfo& info) {
  return info.Env().Undefined();
}

Napi::Object Init(Napi::Env env, Napi::Object exports) {
  exports.Set("empty", Napi::Function::New(env, empty, "empty"));
  return exports;
}

}  // namespace

NODE_API_MODULE(VelquarinBenchEmpty, Init)
