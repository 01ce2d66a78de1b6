#include "Exports.h"
#include "Utilities/ZqNotAvailable.h"

namespace zq::exports {

Napi::Value setNetworkReachabilityCallbackFunction(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "setNetworkReachabilityCallbackFunction");
}

Napi::Value isNetworkReachable(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "isNetworkReachable");
}

}  // namespace zq::exports
