#include <napi.h>

#include "AppleScript/ZqASOutgoingMessage.h"
#include "AppleScript/ZqScriptingDefinition.h"
#include "Exports.h"
#include "Utilities/ZqCallbackSlot.h"
#include "Utilities/ZqJSON.h"
#include "Utilities/ZqLog.h"
#include "Utilities/ZqStartupStep.h"
#include "notificationcenter/NotificationCenter.h"
#include "scripting/ScriptingBus.h"

using velquarin::platform::Notification;
using velquarin::platform::NotificationCenter;

namespace {

ZqCallbackSlot composeCallback("compose outgoing message callback");

const nlohmann::json& entry(const nlohmann::json& userInfo, const char* key) {
  static const nlohmann::json missing;
  if (!userInfo.is_object()) return missing;
  const auto found = userInfo.find(key);
  return found == userInfo.end() ? missing : *found;
}

void composeRequested(const Notification& notification) {
  if (!composeCallback.isSet()) return;
  const auto message = ZqConvertToJSONString(
      entry(notification.userInfo, ZqComposeOutgoingMessageNotificationMessageKey));
  const auto options = ZqConvertToJSONString(
      entry(notification.userInfo, ZqComposeOutgoingMessageNotificationOptionsKey));
  if (!message || !options) {
    ZQ_LOG_AS("VelquarinNative", ZqLogLevel::Warning, "Could get message or options");
    return;
  }
  composeCallback.invoke([&](Napi::Env env) {
    return std::vector<napi_value>{Napi::String::New(env, *message),
                                   Napi::String::New(env, *options)};
  });
}

// Start-up: compose requests reach the host; then scripts can reach the application.
void listenForComposeRequests(Napi::Env) {
  NotificationCenter::defaultCenter().addObserver(kZqComposeOutgoingMessageNotification, nullptr,
                                                  NotificationCenter::Delivery::MainQueue,
                                                  composeRequested);
  ZqRegisterScriptingDefinition();
  velquarin::platform::publishScriptingOnBus();
}

const ZqStartupStep step(9, "compose request observer", listenForComposeRequests);

}  // namespace

namespace zq::exports {

Napi::Value setComposeOutgoingMessageCallbackFunction(const ZqArgs& args) {
  composeCallback.set(args.at(0));
  return args.Env().Undefined();
}

}  // namespace zq::exports
