#include "alerts/Alerts.h"
#include "binding/BindingRegistry.h"

namespace velquarin::binding {
namespace {

using platform::Alerts;

// presentedAlerts(): [{message, details, style, buttons}], oldest first.
Napi::Value presentedAlerts(const Napi::CallbackInfo& info) {
  auto env = info.Env();
  const auto alerts = Alerts::presented();
  auto list = Napi::Array::New(env, alerts.size());
  for (std::size_t i = 0; i < alerts.size(); ++i) {
    auto entry = Napi::Object::New(env);
    entry.Set("message", alerts[i].message);
    entry.Set("details", alerts[i].details);
    entry.Set("style", platform::alertStyleName(alerts[i].style));
    auto buttons = Napi::Array::New(env, alerts[i].buttons.size());
    for (std::size_t b = 0; b < alerts[i].buttons.size(); ++b) {
      buttons.Set(static_cast<uint32_t>(b), alerts[i].buttons[b]);
    }
    entry.Set("buttons", buttons);
    list.Set(static_cast<uint32_t>(i), entry);
  }
  return list;
}

// clearPresentedAlerts(): the user dismissed them.
Napi::Value clearPresentedAlerts(const Napi::CallbackInfo& info) {
  Alerts::clear();
  return info.Env().Undefined();
}

void install(Napi::Env, Napi::Object exports) {
  exportFunction(exports, "presentedAlerts", presentedAlerts);
  exportFunction(exports, "clearPresentedAlerts", clearPresentedAlerts);
}

const Registrar registrar(install);

}  // namespace
}  // namespace velquarin::binding
