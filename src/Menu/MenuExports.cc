#include "Exports.h"
#include "Utilities/ZqNotAvailable.h"

namespace zq::exports {

Napi::Value updateMainMenuMenuItem(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "updateMainMenuMenuItem");
}

Napi::Value updateMainMenuMenuItemWithCommandId(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "updateMainMenuMenuItemWithCommandId");
}

Napi::Value setupMenuWillShowNotification(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "setupMenuWillShowNotification");
}

}  // namespace zq::exports
