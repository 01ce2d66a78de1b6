#include <memory>
#include <vector>

#include "HostCall.h"
#include "application/Services.h"
#include "binding/BindingRegistry.h"

namespace velquarin::binding {
namespace {

using platform::Pasteboard;
using platform::Services;

// invokeService(message, pasteboard): the user picks one of this application's services;
// the handler named `message` runs on the named pasteboard (write it first with
// writePasteboard, read it back afterwards). {handled, error}.
Napi::Value invokeService(const Napi::CallbackInfo& info) {
  auto env = info.Env();
  if (failIf(env, info.Length() < 2 || !info[0].IsString() || !info[1].IsString(),
             "invokeService(message: string, pasteboard: string)")) {
    return {};
  }
  auto pasteboard = Pasteboard::withName(info[1].As<Napi::String>().Utf8Value());
  const auto outcome =
      Services::shared().invoke(info[0].As<Napi::String>().Utf8Value(), *pasteboard);
  auto result = Napi::Object::New(env);
  result.Set("handled", outcome.handled);
  result.Set("error",
             outcome.error ? Napi::Value(Napi::String::New(env, *outcome.error)) : env.Null());
  return result;
}

struct HostService {
  Napi::FunctionReference function;
  std::unique_ptr<Napi::AsyncContext> context;
};

// Host functions behind other applications' services; dropped with the environment.
std::vector<std::shared_ptr<HostService>>& hostServices() {
  static auto* services = new std::vector<std::shared_ptr<HostService>>();
  return *services;
}

// registerService(title, fn(pasteboard) | null): another application's service as the
// Services menu lists it; fn gets the name of the pasteboard it is handed.
Napi::Value registerService(const Napi::CallbackInfo& info) {
  auto env = info.Env();
  if (failIf(
          env,
          info.Length() < 2 || !info[0].IsString() || !(info[1].IsFunction() || info[1].IsNull()),
          "registerService(title: string, service: function | null)")) {
    return {};
  }
  const auto title = info[0].As<Napi::String>().Utf8Value();
  if (info[1].IsNull()) {
    Services::shared().registerService(title, nullptr);
    return env.Undefined();
  }
  auto service = std::make_shared<HostService>(
      HostService{Napi::Persistent(info[1].As<Napi::Function>()),
                  std::make_unique<Napi::AsyncContext>(env, "VelquarinService")});
  hostServices().push_back(service);
  std::weak_ptr<HostService> weak = service;
  Services::shared().registerService(title, [env, weak](Pasteboard& pasteboard) {
    auto held = weak.lock();
    if (!held) return;
    node::callHost(env, held->function.Value(), *held->context, [&](Napi::Env env) {
      return std::vector<napi_value>{Napi::String::New(env, pasteboard.name())};
    });
  });
  return env.Undefined();
}

// namedPasteboardCount(): how many named pasteboards exist now.
Napi::Value namedPasteboardCount(const Napi::CallbackInfo& info) {
  return Napi::Number::New(info.Env(), static_cast<double>(Pasteboard::namedCount()));
}

void install(Napi::Env env, Napi::Object exports) {
  exportFunction(exports, "invokeService", invokeService);
  exportFunction(exports, "registerService", registerService);
  exportFunction(exports, "namedPasteboardCount", namedPasteboardCount);
  env.AddCleanupHook([] { hostServices().clear(); });
}

const Registrar registrar(install);

}  // namespace
}  // namespace velquarin::binding
