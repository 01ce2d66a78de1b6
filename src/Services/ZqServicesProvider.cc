#include "Exports.h"
#include "Utilities/ZqConvert.h"
#include "Utilities/ZqNotAvailable.h"

namespace zq::entries {

Napi::Value performService(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 2);
  ZQ_CONTRACT(args[0]->IsString());
  ZQ_CONTRACT(args[1]->IsString());
  return ZqNotAvailableYet(args, "performService");
}

}  // namespace zq::entries
