#include "Exports.h"
#include "Utilities/ZqNotAvailable.h"

namespace zq::exports {

Napi::Value setKeyboardModifierKeysCallbackFunction(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "setKeyboardModifierKeysCallbackFunction");
}

Napi::Value modifierKeys(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "modifierKeys");
}

Napi::Value isAppHidden(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "isAppHidden");
}

}  // namespace zq::exports
