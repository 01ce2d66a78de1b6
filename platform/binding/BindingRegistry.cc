#include "binding/BindingRegistry.h"

#include <string>
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
  auto env = exports.Env();
  if (env.IsExceptionPending()) return;
  // Two controls of one name: the later would silently hide the earlier.
  if (exports.Has(name)) {
    Napi::Error::New(env, std::string("binding control defined twice: ") + name)
        .ThrowAsJavaScriptException();
    return;
  }
  exports.Set(name, Napi::Function::New(env, callback, name));
}

bool failIf(Napi::Env env, bool condition, const char* message) {
  if (!condition) return false;
  Napi::TypeError::New(env, message).ThrowAsJavaScriptException();
  return true;
}

}  // namespace velquarin::binding
