#include "Exports.h"
#include "Utilities/ZqConvert.h"
#include "Utilities/ZqNotAvailable.h"

namespace zq::entries {

Napi::Value ZqWriteFile(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 3);
  ZQ_CONTRACT(args[0]->IsString());
  ZQ_CONTRACT(args[1]->IsObject());
  ZQ_CONTRACT(args[2]->IsBoolean());
  return ZqNotAvailableYet(args, "writeFile");
}

}  // namespace zq::entries
