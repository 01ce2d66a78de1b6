#include "Exports.h"
#include "Utilities/ZqNotAvailable.h"

namespace zq::exports {

Napi::Value hasPreviousVersion(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "hasPreviousVersion");
}

Napi::Value getMigrationInfo(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "getMigrationInfo");
}

}  // namespace zq::exports
