#include "Exports.h"
#include "Extensions/ZqIsRosetta.h"
#include "Utilities/ZqNotAvailable.h"

namespace zq::exports {

Napi::Value getBundlePath(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "getBundlePath");
}

Napi::Value getPreferredLanguages(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "getPreferredLanguages");
}

Napi::Value bundleId(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "bundleId");
}

Napi::Value getBuildNumber(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "getBuildNumber");
}

Napi::Value isDarkMode(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "isDarkMode");
}

Napi::Value isRosetta(const ZqArgs& args) {
  return Napi::Boolean::New(args.Env(), ZqIsRosetta());
}

Napi::Value macOSVersion(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "macOSVersion");
}

Napi::Value convertToPosixPath(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "convertToPosixPath");
}

}  // namespace zq::exports
