#include "Exports.h"
#include "Utilities/ZqNotAvailable.h"

namespace zq::exports {

Napi::Value importIntoApplication(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "importIntoApplication");
}

Napi::Value clipPage(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "clipPage");
}

Napi::Value installedClipperApps(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "installedClipperApps");
}

}  // namespace zq::exports
