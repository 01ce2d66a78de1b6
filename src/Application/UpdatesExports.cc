#include "Application/ZqApplicationUpdate.h"
#include "Exports.h"
#include "Utilities/ZqCallbackSlot.h"
#include "Utilities/ZqJSON.h"
#include "Utilities/ZqLog.h"

namespace {

ZqCallbackSlot& appcastParameterCallback() {
  static auto* slot = new ZqCallbackSlot("appcast parameter callback");
  return *slot;
}

// Calls the host synchronously while the updater waits for the request's parameters.
nlohmann::json callHostForParameters(bool sendingSystemProfile) {
  nlohmann::json parameters = nlohmann::json::array();
  appcastParameterCallback().invoke(
      [sendingSystemProfile](Napi::Env env) {
        return std::vector<napi_value>{Napi::Boolean::New(env, sendingSystemProfile)};
      },
      [&parameters](Napi::Value result) {
        if (!result.IsString()) {
          ZQ_LOG_WARN("Couldn't get parameters from callback because result wasn't a string");
          return;
        }
        std::string error;
        auto parsed = ZqConvertFromJSONString(result.As<Napi::String>().Utf8Value(), &error);
        if (parsed && parsed->is_array()) {
          parameters = std::move(*parsed);
          return;
        }
        if (parsed) error = "the JSON text is no array";
        ZQ_LOG_WARN("Couldn't get parameters from callback because of %@", error);
      });
  return parameters;
}

}  // namespace

namespace zq::exports {

Napi::Value checkForUpdates(const ZqArgs& args) {
  auto& update = ZqApplicationUpdate::sharedInstance();
  if (args[0]->value().As<Napi::Boolean>().Value()) {
    update.checkForUpdatesInBackground(args[1]->value().As<Napi::Boolean>().Value());
  } else {
    update.checkForUpdates();
  }
  return args.Env().Undefined();
}

Napi::Value setAppcastParameterCallback(const ZqArgs& args) {
  appcastParameterCallback().set(args[0]->value());
  ZqApplicationUpdate::sharedInstance().setParameterCallback(callHostForParameters);
  return args.Env().Undefined();
}

Napi::Value fetchAppcast(const ZqArgs& args) {
  ZqApplicationUpdate::sharedInstance().fetchAppcast();
  return args.Env().Undefined();
}

}  // namespace zq::exports
