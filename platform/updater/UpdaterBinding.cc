#include "binding/BindingRegistry.h"
#include "updater/Updater.h"

namespace velquarin::binding {
namespace {

using platform::updater::Updater;

// updaterState(): the updater's window, the update it offers, the last error and request.
Napi::Value updaterState(const Napi::CallbackInfo& info) {
  auto& updater = Updater::shared();
  auto state = Napi::Object::New(info.Env());
  state.Set("window", platform::updater::windowName(updater.window()));
  state.Set("checking", updater.isChecking());
  state.Set("automaticallyChecks", updater.automaticallyChecksForUpdates());
  state.Set("interval", updater.updateCheckInterval());
  state.Set("lastError", updater.lastError());
  state.Set("lastRequestURL", updater.lastRequestURL());
  const auto& offered = updater.offeredUpdate();
  state.Set("update", offered ? Napi::Value(Napi::String::New(info.Env(), offered->versionString))
                              : info.Env().Null());
  return state;
}

// answerUpdater(choice): the user presses a button of the updater's window ("install",
// "later", "ok"); false when the window shown has no such button.
Napi::Value answerUpdater(const Napi::CallbackInfo& info) {
  if (failIf(info.Env(), info.Length() < 1 || !info[0].IsString(),
             "answerUpdater(choice: string)")) {
    return {};
  }
  return Napi::Boolean::New(info.Env(),
                            Updater::shared().answer(info[0].As<Napi::String>().Utf8Value()));
}

void install(Napi::Env, Napi::Object exports) {
  exportFunction(exports, "updaterState", updaterState);
  exportFunction(exports, "answerUpdater", answerUpdater);
}

const Registrar registrar(install);

}  // namespace
}  // namespace velquarin::binding
