#include "Exports.h"
#include "Utilities/ZqNotAvailable.h"

namespace zq::exports {

Napi::Value dropFiles(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "dropFiles");
}

Napi::Value setDragAndDropCallbackFunction(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "setDragAndDropCallbackFunction");
}

}  // namespace zq::exports
