#include "Exports.h"
#include "Integrations/ZqTiming.h"
#include "Utilities/ZqCallbackSlot.h"
#include "Utilities/ZqConvert.h"
#include "Utilities/ZqJSON.h"
#include "Utilities/ZqLog.h"

namespace zq::exports {
namespace {

ZqCallbackSlot& timingSlot() {
  static ZqCallbackSlot* slot = new ZqCallbackSlot("Timing callback");
  return *slot;
}

// The strings of the host's answer: JSON text of an array of strings. Anything else, or
// elements that are not strings, are left out with a warning.
std::vector<std::string> stringsOf(Napi::Value result) {
  std::string error;
  const auto parsed = ZqConvertFromJSONString(convertToString(result).value_or(""), &error);
  if (parsed && !parsed->is_array()) error = "the result is not an array: " + parsed->dump();
  if (!parsed || !parsed->is_array()) {
    ZQ_LOG_AS("VelquarinNative", ZqLogLevel::Warning, "Couldn't get valid result from sCallback %@",
              error);
    return {};
  }
  std::vector<std::string> strings;
  std::size_t others = 0;
  for (const auto& element : *parsed) {
    if (element.is_string()) {
      strings.push_back(element.get<std::string>());
    } else {
      ++others;
    }
  }
  if (others > 0) {
    ZQ_LOG_AS("VelquarinNative", ZqLogLevel::Warning, "Couldn't get valid result from sCallback %@",
              std::to_string(others) + " elements are not strings and were left out");
  }
  return strings;
}

std::vector<std::string> askHost() {
  std::vector<std::string> strings;
  timingSlot().invoke({}, [&](Napi::Value result) { strings = stringsOf(result); });
  return strings;
}

}  // namespace

Napi::Value registerAppleEventForTimingApp(const ZqArgs& args) {
  if (timingSlot().isSet()) {
    ZQ_LOG_AS("VelquarinNative", ZqLogLevel::Warning, "Cannot register app event listener twice");
    return args.Env().Undefined();
  }
  timingSlot().set(args.at(0));
  ZqTiming::start(askHost);
  return args.Env().Undefined();
}

}  // namespace zq::exports
