#include "Exports.h"
#include "Keychain/ZqKeyChain.h"
#include "Utilities/ZqConvert.h"
#include "Utilities/ZqJSON.h"
#include "Utilities/ZqLog.h"

namespace zq::exports {
namespace {

Napi::Value resultText(Napi::Env env, const nlohmann::json& result) {
  const std::optional<std::string> text = ZqConvertToJSONString(result);
  if (!text) return env.Undefined();
  return ZqToHostString(env, *text);
}

}  // namespace

Napi::Value getPasswordForAccount(const ZqArgs& args) {
  const std::string account = ToCString(args.at(0));
  return resultText(args.Env(), ZqKeychain::sharedInstance().passwordForAccount(account));
}

// The password comes first, the account second; a third argument is not read.
Napi::Value setPasswordForAccount(const ZqArgs& args) {
  const std::optional<std::string> password = convertToString(args.at(0));
  const std::optional<std::string> account = convertToString(args.at(1));
  if (!password || !account) {
    ZQ_LOG_AS("VelquarinNative", ZqLogLevel::Error,
              "Not setting password as either password or account parameters are nil");
    return args.Env().Undefined();
  }
  return resultText(args.Env(), ZqKeychain::sharedInstance().setPassword(password, *account));
}

Napi::Value removePasswordForAccount(const ZqArgs& args) {
  const std::string account = ToCString(args.at(0));
  ZqKeychain::sharedInstance().removePasswordForAccount(account);
  ZQ_LOG_AS("VelquarinNative", ZqLogLevel::Info, "Removed keychain entry for account %@", account);
  return args.Env().Undefined();
}

Napi::Value removeAllPasswords(const ZqArgs& args) {
  ZqKeychain::sharedInstance().removeAllPasswords();
  ZQ_LOG_AS("VelquarinNative", ZqLogLevel::Info, "Removed all keychain entries for app");
  return args.Env().Undefined();
}

}  // namespace zq::exports
