#include "Exports.h"
#include "Utilities/ZqNotAvailable.h"

namespace zq::exports {

Napi::Value reenableWindowUpdates(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "reenableWindowUpdates");
}

Napi::Value setWindowNotificationCallbackFunction(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "setWindowNotificationCallbackFunction");
}

Napi::Value hasMainWindow(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "hasMainWindow");
}

Napi::Value hasKeyWindow(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "hasKeyWindow");
}

Napi::Value hasSheets(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "hasSheets");
}

Napi::Value closeMainWindow(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "closeMainWindow");
}

Napi::Value closeKeyWindow(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "closeKeyWindow");
}

Napi::Value hideWindowContent(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "hideWindowContent");
}

Napi::Value setQueryWindowTraitCallbackFunction(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "setQueryWindowTraitCallbackFunction");
}

}  // namespace zq::exports
