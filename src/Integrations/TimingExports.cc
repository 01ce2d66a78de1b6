#include "Exports.h"
#include "Utilities/ZqNotAvailable.h"

namespace zq::exports {

Napi::Value registerAppleEventForTimingApp(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "registerAppleEventForTimingApp");
}

}  // namespace zq::exports
