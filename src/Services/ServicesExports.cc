#include "Exports.h"
#include "Utilities/ZqNotAvailable.h"

namespace zq::exports {

Napi::Value setSearchServiceCallbackFunction(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "setSearchServiceCallbackFunction");
}

}  // namespace zq::exports
