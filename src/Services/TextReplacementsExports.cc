#include "Exports.h"
#include "Services/ZqTextReplacementSettings.h"
#include "Utilities/ZqConvert.h"
#include "Utilities/ZqJSON.h"
#include "Utilities/ZqLog.h"

namespace zq::exports {

Napi::Value getTextReplacements(const ZqArgs& args) {
  const auto settings = ZqTextReplacementSettings();
  const auto text = settings ? ZqConvertToJSONString(*settings) : std::nullopt;
  if (!text) {
    ZQ_LOG_AS("VelquarinNative", ZqLogLevel::Warning, "Couldn't convert to JSON");
    return args.Env().Null();
  }
  return ZqToHostString(args.Env(), *text);
}

}  // namespace zq::exports
