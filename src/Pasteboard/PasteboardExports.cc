#include "Exports.h"
#include "Utilities/ZqNotAvailable.h"

namespace zq::exports {

Napi::Value saveGeneralPasteboard(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "saveGeneralPasteboard");
}

Napi::Value restoreGeneralPasteboard(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "restoreGeneralPasteboard");
}

Napi::Value writeFileContentsToGeneralPasteboard(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "writeFileContentsToGeneralPasteboard");
}

Napi::Value getValueOfPasteboardType(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "getValueOfPasteboardType");
}

Napi::Value doesPasteboardContainImage(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "doesPasteboardContainImage");
}

Napi::Value imageFromPasteboard(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "imageFromPasteboard");
}

Napi::Value getFindStringFromPasteboard(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "getFindStringFromPasteboard");
}

Napi::Value setFindStringToPasteboard(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "setFindStringToPasteboard");
}

}  // namespace zq::exports
