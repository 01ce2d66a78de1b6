#include "Exports.h"
#include "Notifications/ZqSound.h"
#include "Notifications/ZqUserNotification.h"
#include "Utilities/ZqCallbackSlot.h"
#include "Utilities/ZqConvert.h"
#include "Utilities/ZqLog.h"
#include "Utilities/ZqStartupStep.h"

namespace {

ZqCallbackSlot activationCallback("notification activation");

void createNotificationSingleton(Napi::Env) {
  ZqUserNotification::sharedInstance().setCallback(
      [](const std::string& identifier, const std::string& type, const std::string& response) {
        activationCallback.invoke([&](Napi::Env env) -> std::vector<napi_value> {
          return {ZqToHostString(env, identifier), ZqToHostString(env, type),
                  ZqToHostString(env, response)};
        });
      });
}

const ZqStartupStep step(17, "user notification singleton", createNotificationSingleton);

}  // namespace

// Replaces the host function that hears of activations, dismissals and reply changes.
void SetNotificationActivationCallback(Napi::Value callback) {
  activationCallback.set(callback);
}

namespace zq::exports {

Napi::Value deliverUserNotification(const ZqArgs& args) {
  const std::string identifier = ToCString(args.at(0));
  // The whole text, NULs included, so a name with a NUL finds no sound.
  std::optional<std::string> soundName;
  if (args.at(4).IsString()) soundName = args.at(4).As<Napi::String>().Utf8Value();
  if (soundName) {
    const std::optional<std::string> found = ZqSound::pathForSoundNamed(*soundName);
    ZQ_LOG_AS("VelquarinNative", ZqLogLevel::Debug, "sound with name '%@' '%@' %@", *soundName,
              found ? *soundName : std::string(), found);
  }
  ZqUserNotification::sharedInstance().showNotification(
      identifier, convertToString(args.at(1)), convertToString(args.at(2)),
      convertToString(args.at(3)), soundName, ZqBooleanValue(args.at(7)),
      convertToString(args.at(8)), convertToString(args.at(6)), ZqBooleanValue(args.at(5)),
      convertToString(args.at(9)));
  return args.Env().Undefined();
}

Napi::Value removeUserNotifications(const ZqArgs& args) {
  ZqUserNotification::sharedInstance().removeNotifications();
  return args.Env().Undefined();
}

Napi::Value removeUserNotification(const ZqArgs& args) {
  ZqUserNotification::sharedInstance().removeNotification(ToCString(args.at(0)));
  return args.Env().Undefined();
}

Napi::Value setNotificationCallbackFunction(const ZqArgs& args) {
  SetNotificationActivationCallback(args.at(0));
  return args.Env().Undefined();
}

}  // namespace zq::exports
