#include "Exports.h"
#include "Utilities/ZqNotAvailable.h"

namespace zq::exports {

Napi::Value quickLook(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "quickLook");
}

Napi::Value shareFiles(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "shareFiles");
}

Napi::Value generatePreview(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "generatePreview");
}

Napi::Value printPath(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "printPath");
}

}  // namespace zq::exports
