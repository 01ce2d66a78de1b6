#include "binding/BindingRegistry.h"
#include "tray/StatusNotifierItem.h"

namespace velquarin::binding {
namespace {

// trayState(): how the status item stands on the desktop's panel.
Napi::Value trayState(const Napi::CallbackInfo& info) {
  auto env = info.Env();
  const auto state = platform::StatusNotifierItem::shared().state();
  auto result = Napi::Object::New(env);
  result.Set("connected", state.connected);
  result.Set("shown", state.shown);
  result.Set("registered", state.registered);
  result.Set("watcher", state.watcher);
  result.Set("busName", state.busName.empty() ? env.Null()
                                              : Napi::Value(Napi::String::New(env, state.busName)));
  result.Set("status", state.status);
  result.Set("label", state.label);
  auto sizes = Napi::Array::New(env, state.iconSizes.size());
  for (std::size_t i = 0; i < state.iconSizes.size(); ++i) {
    sizes.Set(static_cast<uint32_t>(i), state.iconSizes[i]);
  }
  result.Set("iconSizes", sizes);
  result.Set("menuRevision", state.menuRevision);
  return result;
}

void install(Napi::Env, Napi::Object exports) {
  exportFunction(exports, "trayState", trayState);
}

const Registrar registrar(install);

}  // namespace
}  // namespace velquarin::binding
