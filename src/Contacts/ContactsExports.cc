#include "Exports.h"
#include "Utilities/ZqNotAvailable.h"

namespace zq::exports {

Napi::Value pickEmailAddresses(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "pickEmailAddresses");
}

Napi::Value recipientsForGroupName(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "recipientsForGroupName");
}

}  // namespace zq::exports
