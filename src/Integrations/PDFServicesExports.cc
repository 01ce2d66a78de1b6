#include "Exports.h"
#include "Utilities/ZqNotAvailable.h"

namespace zq::exports {

Napi::Value uninstallPDFServices(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "uninstallPDFServices");
}

}  // namespace zq::exports
