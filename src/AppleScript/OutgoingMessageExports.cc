#include "Exports.h"
#include "Utilities/ZqNotAvailable.h"

namespace zq::exports {

Napi::Value setComposeOutgoingMessageCallbackFunction(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "setComposeOutgoingMessageCallbackFunction");
}

}  // namespace zq::exports
