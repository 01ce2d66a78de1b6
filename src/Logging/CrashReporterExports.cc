#include "Exports.h"
#include "Utilities/ZqNotAvailable.h"

namespace zq::exports {

Napi::Value setupCrashReporter(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "setupCrashReporter");
}

Napi::Value testCrash(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "testCrash");
}

Napi::Value getReleaseString(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "getReleaseString");
}

}  // namespace zq::exports
