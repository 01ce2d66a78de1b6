#include "Exports.h"
#include "Utilities/ZqConvert.h"
#include "Utilities/ZqNotAvailable.h"

namespace zq::entries {

Napi::Value ZqCreateRequest(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() >= 1);
  ZQ_CONTRACT(args[0]->IsString());
  return ZqNotAvailableYet(args, "createRequest");
}

}  // namespace zq::entries
