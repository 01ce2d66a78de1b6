#include <cmath>

#include "binding/BindingRegistry.h"
#include "usernotifications/UserNotificationCenter.h"

namespace velquarin::binding {
namespace {

using platform::UserNotificationCenter;
using platform::UserNotificationPtr;

Napi::Value textOrNull(Napi::Env env, const std::optional<std::string>& text) {
  return text ? Napi::String::New(env, *text) : env.Null();
}

Napi::Object describe(Napi::Env env, const UserNotificationPtr& n) {
  Napi::Object object = Napi::Object::New(env);
  object.Set("identifier", textOrNull(env, n->identifier));
  object.Set("title", textOrNull(env, n->title));
  object.Set("subtitle", textOrNull(env, n->subtitle));
  object.Set("informativeText", textOrNull(env, n->informativeText));
  object.Set("soundName", textOrNull(env, n->soundName));
  object.Set("hasActionButton", Napi::Boolean::New(env, n->hasActionButton));
  object.Set("actionButtonTitle", textOrNull(env, n->actionButtonTitle));
  object.Set("hasReplyButton", Napi::Boolean::New(env, n->hasReplyButton));
  object.Set("responsePlaceholder", textOrNull(env, n->responsePlaceholder));
  object.Set("deliveryDate",
             n->deliveryDate ? Napi::Number::New(env, *n->deliveryDate) : env.Null());
  object.Set("presented", Napi::Boolean::New(env, n->presented));
  object.Set("activationType", Napi::Number::New(env, n->activationType));
  object.Set("response", textOrNull(env, n->response));
  return object;
}

Napi::Value list(Napi::Env env, const std::vector<UserNotificationPtr>& notifications) {
  Napi::Array array = Napi::Array::New(env, notifications.size());
  for (std::size_t i = 0; i < notifications.size(); ++i) {
    array.Set(static_cast<uint32_t>(i), describe(env, notifications[i]));
  }
  return array;
}

// deliveredUserNotifications(): the delivered list, oldest first.
Napi::Value deliveredUserNotifications(const Napi::CallbackInfo& info) {
  return list(info.Env(), UserNotificationCenter::defaultCenter().deliveredNotifications());
}

// scheduledUserNotifications(): the notifications waiting for their delivery date.
Napi::Value scheduledUserNotifications(const Napi::CallbackInfo& info) {
  return list(info.Env(), UserNotificationCenter::defaultCenter().scheduledNotifications());
}

// activateUserNotification(identifier, type, response?): the user acts on a delivered
// notification (type: 1 body clicked, 2 action button, 3 replied, 4 additional action, others
// as given); answers false when no delivered notification has that identifier.
Napi::Value activateUserNotification(const Napi::CallbackInfo& info) {
  const Napi::Env env = info.Env();
  if (failIf(env,
             info.Length() < 2 || !info[0].IsString() || !info[1].IsNumber() ||
                 (info.Length() > 2 && !info[2].IsString() && !info[2].IsUndefined() &&
                  !info[2].IsNull()),
             "activateUserNotification(identifier, type, response?)")) {
    return {};
  }
  const double type = info[1].As<Napi::Number>().DoubleValue();
  if (failIf(env, !std::isfinite(type) || type != std::trunc(type) || std::fabs(type) > 2147483647,
             "activateUserNotification: type must be an int32")) {
    return {};
  }
  std::optional<std::string> response;
  if (info.Length() > 2 && info[2].IsString()) response = info[2].As<Napi::String>().Utf8Value();
  return Napi::Boolean::New(
      env, UserNotificationCenter::defaultCenter().activate(info[0].As<Napi::String>().Utf8Value(),
                                                            static_cast<int>(type), response));
}

// dismissUserNotification(identifier): the user closes a delivered notification's alert.
Napi::Value dismissUserNotification(const Napi::CallbackInfo& info) {
  if (failIf(info.Env(), info.Length() < 1 || !info[0].IsString(),
             "dismissUserNotification(identifier)")) {
    return {};
  }
  return Napi::Boolean::New(info.Env(), UserNotificationCenter::defaultCenter().dismiss(
                                            info[0].As<Napi::String>().Utf8Value()));
}

// changeUserNotificationResponse(identifier, text): the user types in the reply field.
Napi::Value changeUserNotificationResponse(const Napi::CallbackInfo& info) {
  if (failIf(info.Env(), info.Length() < 2 || !info[0].IsString() || !info[1].IsString(),
             "changeUserNotificationResponse(identifier, text)")) {
    return {};
  }
  return Napi::Boolean::New(info.Env(), UserNotificationCenter::defaultCenter().changeResponse(
                                            info[0].As<Napi::String>().Utf8Value(),
                                            info[1].As<Napi::String>().Utf8Value()));
}

void install(Napi::Env, Napi::Object exports) {
  exportFunction(exports, "deliveredUserNotifications", deliveredUserNotifications);
  exportFunction(exports, "scheduledUserNotifications", scheduledUserNotifications);
  exportFunction(exports, "activateUserNotification", activateUserNotification);
  exportFunction(exports, "dismissUserNotification", dismissUserNotification);
  exportFunction(exports, "changeUserNotificationResponse", changeUserNotificationResponse);
}

const Registrar registrar(install);

}  // namespace
}  // namespace velquarin::binding
