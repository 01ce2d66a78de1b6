#include "Exports.h"
#include "Shortcuts/ZqGlobalShortcut.h"
#include "Utilities/ZqConvert.h"

namespace zq::exports {
namespace {

std::string keyOf(const ZqArgs& args) {
  return convertToString(args.at(0)).value_or(std::string());
}

}  // namespace

Napi::Value startMonitoringKeyboardShortcuts(const ZqArgs& args) {
  ZqGlobalShortcut::sharedInstance().startMonitoringKeyboardEvents(keyOf(args));
  return args.Env().Undefined();
}

Napi::Value stopMonitoringKeyboardShortcuts(const ZqArgs& args) {
  ZqGlobalShortcut::sharedInstance().stopMonitoringKeyboardEvents();
  return args.Env().Undefined();
}

Napi::Value bindGlobalShortcutWithDefaultsKey(const ZqArgs& args) {
  ZqGlobalShortcut::sharedInstance().bindDefaultsKey(keyOf(args));
  return args.Env().Undefined();
}

Napi::Value globalShortcutDescriptionForDefaultsKey(const ZqArgs& args) {
  const auto description =
      ZqGlobalShortcut::sharedInstance().shortcutDescriptionForDefaultsKey(keyOf(args));
  if (!description) return args.Env().Null();
  return Napi::String::New(args.Env(), *description);
}

}  // namespace zq::exports
