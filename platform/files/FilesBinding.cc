#include <cerrno>

#include "binding/BindingRegistry.h"
#include "files/DataWriter.h"

namespace velquarin::binding {
namespace {

// simulateWriteFailure(errno | null): every file write fails with that error number (28 is a
// full disk) until called with null.
Napi::Value simulateWriteFailure(const Napi::CallbackInfo& info) {
  int code = 0;
  if (info.Length() > 0 && info[0].IsNumber()) code = info[0].As<Napi::Number>().Int32Value();
  if (failIf(info.Env(), code < 0, "simulateWriteFailure(errno: number | null)")) return {};
  platform::simulateWriteFailure(code);
  return info.Env().Undefined();
}

void install(Napi::Env, Napi::Object exports) {
  exportFunction(exports, "simulateWriteFailure", simulateWriteFailure);
}

const Registrar registrar(install);

}  // namespace
}  // namespace velquarin::binding
