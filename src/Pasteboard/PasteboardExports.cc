#include "Exports.h"
#include "Pasteboard/ZqPasteboard.h"
#include "Utilities/ZqConvert.h"
#include "Utilities/ZqJSON.h"
#include "Utilities/ZqLog.h"
#include "pasteboard/PasteboardTypes.h"

using velquarin::platform::Pasteboard;

namespace zq::exports {

Napi::Value saveGeneralPasteboard(const ZqArgs& args) {
  return Napi::Boolean::New(args.Env(), ZqSavePasteboard(*Pasteboard::general()));
}

Napi::Value restoreGeneralPasteboard(const ZqArgs& args) {
  return Napi::Boolean::New(args.Env(), ZqRestorePasteboard(*Pasteboard::general()));
}

Napi::Value writeFileContentsToGeneralPasteboard(const ZqArgs& args) {
  const auto path = convertToString(args.at(0)).value_or("");
  return Napi::Boolean::New(args.Env(), ZqWriteFileContents(*Pasteboard::general(), path));
}

Napi::Value getValueOfPasteboardType(const ZqArgs& args) {
  auto env = args.Env();
  const auto type = convertToString(args.at(0)).value_or("");
  auto strings = nlohmann::json::array();
  const auto items = Pasteboard::general()->itemsWithDataOf(type);
  for (const auto& item : items.value_or(std::vector<velquarin::platform::PasteboardItem>{})) {
    auto data = item.dataForType(type);
    if (!data) continue;
    std::string text(data->begin(), data->end());
    if (velquarin::platform::isValidUtf8(text)) strings.push_back(std::move(text));
  }
  const auto json = ZqConvertToJSONString(strings);
  if (!json) {
    ZQ_LOG_AS("VelquarinNative", ZqLogLevel::Warning,
              "getValueOfPasteboardType: Couldn't create JSON From pasteboard");
    return env.Null();
  }
  return ZqToHostString(env, *json);
}

Napi::Value doesPasteboardContainImage(const ZqArgs& args) {
  return Napi::Number::New(args.Env(), ZqPasteboardHasImage(*Pasteboard::general()) ? 1 : 0);
}

Napi::Value imageFromPasteboard(const ZqArgs& args) {
  const auto directory = convertToString(args.at(0)).value_or("");
  return ZqToHostStringOrNull(args.Env(), ZqImageFromPasteboard(directory));
}

Napi::Value getFindStringFromPasteboard(const ZqArgs& args) {
  return ZqToHostStringOrNull(args.Env(), ZqGetFindStringFromPasteboard());
}

Napi::Value setFindStringToPasteboard(const ZqArgs& args) {
  ZqSetFindStringToPasteboard(convertToString(args.at(0)));
  return args.Env().Undefined();
}

}  // namespace zq::exports
