#include "Exports.h"
#include "Utilities/ZqConvert.h"
#include "files/DataWriter.h"

namespace zq::entries {

Napi::Value ZqWriteFile(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 3);
  ZQ_CONTRACT(args[0]->IsString());
  ZQ_CONTRACT(args[1]->IsObject());
  ZQ_CONTRACT(args[2]->IsBoolean());
  auto env = args.Env();
  const auto path = convertToString(args.at(0));
  // Only bytes are written: another object is refused, never read as if it held some.
  const auto data = convertToData(args.at(1));
  if (!data) return ZqToHostString(env, "The data to write is not a buffer.");
  if (auto error =
          velquarin::platform::writeData(path.value_or(""), *data, ZqBooleanValue(args.at(2)))) {
    return ZqToHostString(env, error->description());
  }
  return env.Undefined();
}

}  // namespace zq::entries
