#include "Exports.h"
#include "Utilities/ZqNotAvailable.h"

namespace zq::exports {

Napi::Value showFileDialog(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "showFileDialog");
}

}  // namespace zq::exports
