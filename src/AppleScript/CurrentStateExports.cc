#include "Exports.h"
#include "Utilities/ZqNotAvailable.h"

namespace zq::exports {

Napi::Value loadFScript(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "loadFScript");
}

Napi::Value setCurrentURL(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "setCurrentURL");
}

Napi::Value setCurrentStateCallbackFunction(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "setCurrentStateCallbackFunction");
}

}  // namespace zq::exports
