#include "Exports.h"
#include "Utilities/ZqNotAvailable.h"

namespace zq::exports {

Napi::Value startMonitoringKeyboardShortcuts(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "startMonitoringKeyboardShortcuts");
}

Napi::Value stopMonitoringKeyboardShortcuts(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "stopMonitoringKeyboardShortcuts");
}

Napi::Value bindGlobalShortcutWithDefaultsKey(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "bindGlobalShortcutWithDefaultsKey");
}

Napi::Value globalShortcutDescriptionForDefaultsKey(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "globalShortcutDescriptionForDefaultsKey");
}

}  // namespace zq::exports
