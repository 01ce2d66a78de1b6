#include "binding/BindingRegistry.h"

#include <vector>

namespace velquarin::binding {
namespace {
std::vector<Installer>& installers() {
  static std::vector<Installer> list;
  return list;
}
}  // namespace

Registrar::Registrar(Installer installer) {
  installers().push_back(installer);
}

void installAll(Napi::Env env, Napi::Object exports) {
  for (Installer installer : installers()) installer(env, exports);
}

void exportFunction(Napi::Object exports, const char* name, Napi::Function::Callback callback) {
  exports.Set(name, Napi::Function::New(exports.Env(), callback, name));
}

bool failIf(Napi::Env env, bool condition, const char* message) {
  if (!condition) return false;
  Napi::TypeError::New(env, message).ThrowAsJavaScriptException();
  return true;
}

}  // namespace velquarin::binding
