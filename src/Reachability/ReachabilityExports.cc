#include <napi.h>

#include <memory>

#include "Exports.h"
#include "Reachability/ZqReachability.h"
#include "Utilities/ZqCallbackSlot.h"
#include "Utilities/ZqStartupStep.h"
#include "runloop/MainQueue.h"

namespace {

std::shared_ptr<ZqReachability> reachabilityMonitor;
ZqCallbackSlot reachabilityCallback("network reachability callback");

}  // namespace

// Start-up: the one monitor of the process, reporting every change to the host's callback.
void ZqListenForReachabilityChanges() {
  static bool listening = false;
  if (listening) return;
  listening = true;
  reachabilityMonitor = ZqReachability::reachabilityForInternetConnection();
  if (!reachabilityMonitor) return;
  reachabilityMonitor->reachabilityBlock = [](ZqReachability& monitor) {
    std::weak_ptr<ZqReachability> weak = monitor.weak_from_this();
    velquarin::platform::MainQueue::shared().async([weak] {
      auto current = weak.lock();
      if (!current || !reachabilityCallback.isSet()) return;
      const bool connected = current->isConnected();
      reachabilityCallback.invoke([connected](Napi::Env env) {
        return std::vector<napi_value>{Napi::Boolean::New(env, connected)};
      });
    });
  };
  reachabilityMonitor->startNotifier();
}

namespace {
const ZqStartupStep startupStep(11, "ZqListenForReachabilityChanges",
                                [](Napi::Env) { ZqListenForReachabilityChanges(); });
}  // namespace

namespace zq::exports {

Napi::Value setNetworkReachabilityCallbackFunction(const ZqArgs& args) {
  reachabilityCallback.set(args.at(0));
  return args.Env().Undefined();
}

Napi::Value isNetworkReachable(const ZqArgs& args) {
  return Napi::Boolean::New(args.Env(), reachabilityMonitor && reachabilityMonitor->isConnected());
}

}  // namespace zq::exports
