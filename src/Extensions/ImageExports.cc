#include "Exports.h"
#include "Utilities/ZqNotAvailable.h"

namespace zq::exports {

Napi::Value isWebImagePath(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "isWebImagePath");
}

Napi::Value scaleImage(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "scaleImage");
}

}  // namespace zq::exports
