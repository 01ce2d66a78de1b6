#include "Exports.h"
#include "Utilities/ZqNotAvailable.h"

namespace zq::exports {

Napi::Value applicationsForFileExtension(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "applicationsForFileExtension");
}

Napi::Value applicationsForScheme(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "applicationsForScheme");
}

Napi::Value defaultApplicationForScheme(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "defaultApplicationForScheme");
}

Napi::Value setDefaultApplicationForScheme(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "setDefaultApplicationForScheme");
}

Napi::Value iconForFileExtension(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "iconForFileExtension");
}

Napi::Value openFile(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "openFile");
}

Napi::Value openInfoForFile(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "openInfoForFile");
}

Napi::Value isApplicationInstalled(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "isApplicationInstalled");
}

Napi::Value iconForApplication(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "iconForApplication");
}

Napi::Value applicationName(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "applicationName");
}

}  // namespace zq::exports
