#include "Exports.h"
#include "Utilities/ZqNotAvailable.h"

namespace zq::exports {

Napi::Value getSoundNames(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "getSoundNames");
}

Napi::Value playSoundWithName(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "playSoundWithName");
}

}  // namespace zq::exports
