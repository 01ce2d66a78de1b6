#include "Exports.h"
#include "Menu/ZqMainMenu.h"
#include "Utilities/ZqConvert.h"

namespace zq::exports {

Napi::Value updateMainMenuMenuItem(const ZqArgs& args) {
  const auto path = convertToString(args.at(0)).value_or(std::string());
  const auto attributes = convertToString(args.at(1)).value_or(std::string());
  return Napi::Number::New(args.Env(), ZqMainMenuUpdateMenuItem(path, attributes));
}

Napi::Value updateMainMenuMenuItemWithCommandId(const ZqArgs& args) {
  const auto attributes = convertToString(args.at(1)).value_or(std::string());
  return Napi::Number::New(
      args.Env(), ZqMainMenuUpdateMenuItemWithCommandId(ZqInt32Value(args.at(0)), attributes));
}

Napi::Value setupMenuWillShowNotification(const ZqArgs& args) {
  ZqSetupAppMenuNeedsUpdateNotification();
  return args.Env().Undefined();
}

}  // namespace zq::exports
