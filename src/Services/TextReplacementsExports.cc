#include "Exports.h"
#include "Utilities/ZqNotAvailable.h"

namespace zq::exports {

Napi::Value getTextReplacements(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "getTextReplacements");
}

}  // namespace zq::exports
