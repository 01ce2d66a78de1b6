#include "Exports.h"
#include "Utilities/ZqNotAvailable.h"

namespace zq::exports {

Napi::Value getPasswordForAccount(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "getPasswordForAccount");
}

Napi::Value setPasswordForAccount(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "setPasswordForAccount");
}

Napi::Value removePasswordForAccount(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "removePasswordForAccount");
}

Napi::Value removeAllPasswords(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "removeAllPasswords");
}

}  // namespace zq::exports
