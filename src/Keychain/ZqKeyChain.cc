#include "Keychain/ZqKeyChain.h"

#include <vector>

#include "Extensions/NSApplication+ZqExtensions.h"
#include "Utilities/ZqLog.h"

namespace keychain = velquarin::platform::keychain;

namespace {

nlohmann::json failure(keychain::Status status) {
  return {{"ok?", false}, {"error", status}};
}

// Secrets written by other programs need not be text; JSON text can only carry UTF-8.
bool isUTF8(const std::string& bytes) {
  try {
    (void)nlohmann::json(bytes).dump();
    return true;
  } catch (const nlohmann::json::type_error&) {
    return false;
  }
}

}  // namespace

std::string ZqKeychainServiceForBundleName(const std::optional<std::string>& bundleName) {
  if (bundleName == "Quellor") return *bundleName;
  return "Velquarin 3";
}

std::size_t ZqCharacterCount(const std::string& utf8) {
  std::size_t count = 0;
  for (const unsigned char byte : utf8) {
    if ((byte & 0xC0) != 0x80) ++count;  // a lead byte starts a character
    if (byte >= 0xF0) ++count;           // beyond the BMP: a surrogate pair
  }
  return count;
}

ZqKeychain& ZqKeychain::sharedInstance() {
  static ZqKeychain instance(ZqKeychainServiceForBundleName(zq_bundleName()));
  return instance;
}

ZqKeychain::ZqKeychain(std::string service, keychain::Store& store)
    : service_(std::move(service)), store_(store) {}

nlohmann::json ZqKeychain::passwordForAccount(const std::string& account) {
  keychain::Lookup found = store_.find(service_, account, true);
  if (found.status == keychain::kItemNotFound) return {{"ok?", true}, {"password", nullptr}};
  keychain::Status status = found.status;
  if (status == keychain::kSuccess && !isUTF8(found.secret)) status = keychain::kDecode;
  if (status != keychain::kSuccess) {
    ZQ_LOG_WARN("Could not read password from keychain. (account=%@, error=%d)", account, status);
    return failure(status);
  }
  return {{"ok?", true}, {"password", std::move(found.secret)}};
}

nlohmann::json ZqKeychain::setPassword(const std::optional<std::string>& password,
                                       const std::string& account) {
  nlohmann::json result = {{"ok?", true}};
  if (!password) {
    const keychain::Lookup found = store_.find(service_, account, false);
    if (found.status != keychain::kSuccess) {
      ZQ_LOG_ERROR("Could not find keychain item in order to delete it. (account=%@, error=%d)",
                   account, found.status);
      return failure(found.status);
    }
    const keychain::Status status = store_.remove(*found.item);
    if (status != keychain::kSuccess) {
      ZQ_LOG_WARN("Could not delete keychain item. (account=%@, error=%d)", account, status);
      return failure(status);
    }
    ZQ_LOG_INFO("Deleted password from keychain. (account=%@)", account);
    return result;
  }

  const std::size_t passwordLength = ZqCharacterCount(*password);
  const keychain::WriteResult written = store_.write(service_, account, *password);
  switch (written.step) {
    case keychain::WriteStep::Find:
      ZQ_LOG_WARN("Could not find keychain item. (account=%@, error=%d)", account, written.status);
      break;
    case keychain::WriteStep::Add:
      if (written.status != keychain::kSuccess) {
        ZQ_LOG_WARN(
            "Could not add password to keychain. (account=%@, passwordLength=%lu, error=%d)",
            account, passwordLength, written.status);
      } else {
        ZQ_LOG_INFO("Added password to keychain. (account=%@, passwordLength=%lu)", account,
                    passwordLength);
      }
      break;
    case keychain::WriteStep::Modify:
      if (written.status != keychain::kSuccess) {
        ZQ_LOG_WARN("Could not modify keychain item. (account=%@, passwordLength=%lu, error=%d)",
                    account, passwordLength, written.status);
      } else {
        ZQ_LOG_INFO("Modified password in keychain. (account=%@, passwordLength=%lu)", account,
                    passwordLength);
      }
      break;
  }
  return written.status == keychain::kSuccess ? result : failure(written.status);
}

std::optional<std::set<std::string>> ZqKeychain::allAccounts() {
  std::vector<std::string> accounts;
  const keychain::Status status = store_.accounts(service_, accounts);
  if (status == keychain::kItemNotFound) return std::set<std::string>();
  if (status != keychain::kSuccess) {
    ZQ_LOG_WARN("Error while querying all accounts in Keychain. (error=%@)",
                keychain::errorMessage(status));
    return std::nullopt;
  }
  return std::set<std::string>(accounts.begin(), accounts.end());
}

bool ZqKeychain::removePasswordForAccount(const std::string& account) {
  const keychain::Lookup found = store_.find(service_, account, false);
  if (found.status != keychain::kSuccess) return false;
  if (store_.remove(*found.item) != keychain::kSuccess) return false;
  ZQ_LOG_INFO("Removed keychain entry '%@' (%@).", account, service_);
  return true;
}

bool ZqKeychain::removeAllPasswords() {
  for (;;) {
    const keychain::Lookup found = store_.find(service_, std::nullopt, false);
    if (found.status == keychain::kItemNotFound) return true;
    // A store that fails (locked, gone, too slow) has not been emptied.
    if (found.status != keychain::kSuccess) return false;
    std::string account;
    if (store_.account(*found.item, account) != keychain::kSuccess) account = "unknown";
    if (store_.remove(*found.item) != keychain::kSuccess) return false;
    ZQ_LOG_INFO("Removed keychain entry '%@' (%@).", account, service_);
  }
}
