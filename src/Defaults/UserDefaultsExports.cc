#include "Exports.h"
#include "Utilities/ZqNotAvailable.h"

namespace zq::exports {

Napi::Value setUserDefault(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "setUserDefault");
}

Napi::Value getUserDefault(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "getUserDefault");
}

Napi::Value removeUserDefault(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "removeUserDefault");
}

Napi::Value synchronizeUserDefaults(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "synchronizeUserDefaults");
}

Napi::Value getStartAtLogin(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "getStartAtLogin");
}

Napi::Value migrateStartAtLogin(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "migrateStartAtLogin");
}

Napi::Value setStartAtLogin(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "setStartAtLogin");
}

}  // namespace zq::exports
