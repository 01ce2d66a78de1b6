#include <memory>

#include "HostCall.h"
#include "binding/BindingRegistry.h"
#include "runloop/MainQueue.h"
#include "termination/Termination.h"

namespace velquarin::binding {
namespace {

using platform::MainQueue;
using platform::Termination;

struct HostHandler {
  Napi::FunctionReference function;
  std::unique_ptr<Napi::AsyncContext> context;
};

std::shared_ptr<HostHandler>& hostHandler() {
  static std::shared_ptr<HostHandler> handler;
  return handler;
}

void callHostHandler(Napi::Env env, const std::shared_ptr<HostHandler>& handler, int status) {
  if (hostHandler() != handler) return;  // replaced meanwhile
  node::callHost(env, handler->function.Value(), *handler->context, [status](Napi::Env env) {
    return std::vector<napi_value>{Napi::Number::New(env, status)};
  });
}

// setTerminateHandler(fn(status) | null): the application's termination calls fn instead of
// exiting the process; null restores exiting.
Napi::Value setTerminateHandler(const Napi::CallbackInfo& info) {
  auto env = info.Env();
  if (failIf(env, info.Length() < 1 || !(info[0].IsFunction() || info[0].IsNull()),
             "setTerminateHandler(fn: (status: number) => void | null)")) {
    return {};
  }
  if (info[0].IsNull()) {
    hostHandler().reset();
    Termination::setHandler({});
    return env.Undefined();
  }
  auto handler = std::make_shared<HostHandler>(
      HostHandler{Napi::Persistent(info[0].As<Napi::Function>()),
                  std::make_unique<Napi::AsyncContext>(env, "VelquarinTerminate")});
  hostHandler() = handler;
  Termination::setHandler([env, handler](int status) {
    // Termination may be asked for on any thread; the host hears of it on the main thread.
    if (MainQueue::shared().isMainThread()) {
      callHostHandler(env, handler, status);
    } else {
      MainQueue::shared().async([env, handler, status] { callHostHandler(env, handler, status); });
    }
  });
  return env.Undefined();
}

void install(Napi::Env env, Napi::Object exports) {
  exportFunction(exports, "setTerminateHandler", setTerminateHandler);
  env.AddCleanupHook([] {
    Termination::setHandler({});
    hostHandler().reset();
  });
}

const Registrar registrar(install);

}  // namespace
}  // namespace velquarin::binding
