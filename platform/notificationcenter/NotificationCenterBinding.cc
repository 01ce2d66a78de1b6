#include <map>
#include <memory>

#include "HostCall.h"
#include "JsonValue.h"
#include "binding/BindingRegistry.h"
#include "notificationcenter/NotificationCenter.h"
#include "windows/WindowRegistry.h"

namespace velquarin::binding {
namespace {

using platform::Notification;
using platform::NotificationCenter;
using platform::ObserverId;

struct HostObserver {
  Napi::FunctionReference function;
  std::unique_ptr<Napi::AsyncContext> context;
  NotificationCenter* center;
};

// Host observers by id; emptied when the environment goes away.
std::map<ObserverId, HostObserver>& hostObservers() {
  static std::map<ObserverId, HostObserver> observers;
  return observers;
}

NotificationCenter& centerFor(const Napi::CallbackInfo& info, std::size_t optionsIndex) {
  if (info.Length() > optionsIndex && info[optionsIndex].IsObject()) {
    auto distributed = info[optionsIndex].As<Napi::Object>().Get("distributed");
    if (distributed.IsBoolean() && distributed.As<Napi::Boolean>().Value()) {
      return NotificationCenter::distributedCenter();
    }
  }
  return NotificationCenter::defaultCenter();
}

// The object of a notification as the host sees it: a window's handle, else its value (null
// when it has none).
Napi::Value objectValue(Napi::Env env, const Notification& notification) {
  if (!notification.object) return node::jsonToJs(env, notification.value);
  for (const auto& window : platform::WindowRegistry::shared().windows()) {
    if (window.get() == notification.object) {
      const auto bytes = platform::WindowRegistry::bytesOf(window->handle());
      return Napi::Buffer<uint8_t>::Copy(env, bytes.data(), bytes.size());
    }
  }
  return node::jsonToJs(env, notification.value);
}

// observe(name | null, fn(name, userInfo, object), {distributed}?): returns an observer id.
// The function runs on the main thread.
Napi::Value observe(const Napi::CallbackInfo& info) {
  auto env = info.Env();
  if (failIf(
          env,
          info.Length() < 2 || !(info[0].IsString() || info[0].IsNull()) || !info[1].IsFunction(),
          "observe(name: string | null, fn: function, options?: {distributed?: boolean})")) {
    return {};
  }
  std::optional<std::string> name;
  if (info[0].IsString()) name = info[0].As<Napi::String>().Utf8Value();
  auto& center = centerFor(info, 2);
  auto id = std::make_shared<ObserverId>(0);
  const ObserverId observerId = center.addObserver(
      name, nullptr, NotificationCenter::Delivery::MainQueue,
      [env, id](const Notification& notification) {
        auto it = hostObservers().find(*id);
        if (it == hostObservers().end()) return;
        // Posts queued on the main queue arrive from the loop, outside any host call.
        Napi::HandleScope scope(env);
        node::callHost(env, it->second.function.Value(), *it->second.context, [&](Napi::Env env) {
          return std::vector<napi_value>{Napi::String::New(env, notification.name),
                                         node::jsonToJs(env, notification.userInfo),
                                         objectValue(env, notification)};
        });
      });
  *id = observerId;
  hostObservers().emplace(
      observerId,
      HostObserver{Napi::Persistent(info[1].As<Napi::Function>()),
                   std::make_unique<Napi::AsyncContext>(env, "VelquarinObserver"), &center});
  return Napi::Number::New(env, static_cast<double>(observerId));
}

// removeObserver(id)
Napi::Value removeObserver(const Napi::CallbackInfo& info) {
  if (info.Length() > 0 && info[0].IsNumber()) {
    const auto id = static_cast<ObserverId>(info[0].As<Napi::Number>().Int64Value());
    auto it = hostObservers().find(id);
    if (it != hostObservers().end()) {
      it->second.center->removeObserver(id);
      hostObservers().erase(it);
    }
  }
  return info.Env().Undefined();
}

// post(name, userInfo?, {distributed, object}?): posts as the rest of the desktop would;
// `object` is plain data handed to observers as the notification's object.
Napi::Value post(const Napi::CallbackInfo& info) {
  if (failIf(info.Env(), info.Length() < 1 || !info[0].IsString(),
             "post(name: string, userInfo?: object, options?: {distributed?: boolean, "
             "object?: unknown})")) {
    return {};
  }
  Notification notification{info[0].As<Napi::String>().Utf8Value(), nullptr, nullptr, nullptr};
  if (info.Length() > 1 && info[1].IsObject()) notification.userInfo = node::jsToJson(info[1]);
  if (info.Length() > 2 && info[2].IsObject()) {
    auto options = info[2].As<Napi::Object>();
    if (options.Has("object")) notification.value = node::jsToJson(options.Get("object"));
  }
  centerFor(info, 2).post(std::move(notification));
  return info.Env().Undefined();
}

void install(Napi::Env env, Napi::Object exports) {
  exportFunction(exports, "observe", observe);
  exportFunction(exports, "removeObserver", removeObserver);
  exportFunction(exports, "post", post);
  env.AddCleanupHook([] {
    for (auto& [id, observer] : hostObservers()) observer.center->removeObserver(id);
    hostObservers().clear();
  });
}

const Registrar registrar(install);

}  // namespace
}  // namespace velquarin::binding
