#include "Exports.h"
#include "Utilities/ZqNotAvailable.h"

namespace zq::exports {

Napi::Value setStatusItemTitle(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "setStatusItemTitle");
}

Napi::Value setStatusItemMenuNeedsUpdateCallbackFunction(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "setStatusItemMenuNeedsUpdateCallbackFunction");
}

}  // namespace zq::exports
