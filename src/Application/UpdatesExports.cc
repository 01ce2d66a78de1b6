#include "Exports.h"
#include "Utilities/ZqNotAvailable.h"

namespace zq::exports {

Napi::Value checkForUpdates(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "checkForUpdates");
}

Napi::Value setAppcastParameterCallback(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "setAppcastParameterCallback");
}

Napi::Value fetchAppcast(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "fetchAppcast");
}

}  // namespace zq::exports
