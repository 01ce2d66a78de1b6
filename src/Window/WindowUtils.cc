#include "Exports.h"
#include "Utilities/ZqConvert.h"
#include "Utilities/ZqNotAvailable.h"

namespace zq::entries {

Napi::Value resizeWindowContent(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 3);
  ZQ_CONTRACT(args[0]->IsObject());
  ZQ_CONTRACT(args[1]->IsInt32());
  ZQ_CONTRACT(args[2]->IsInt32());
  return ZqNotAvailableYet(args, "resizeWindowContent");
}

}  // namespace zq::entries
