#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <set>
#include <string>

#include "keychain/Keychain.h"

// Account passwords in the desktop's credential store, as generic-password items addressed by
// (service, account). Results for the host are dictionaries with an "ok?" flag, so a missing
// password can be told from a failing store. No state besides the service name: every call
// goes to the store, so other programs' changes are seen at once. Main thread only.
class ZqKeychain {
 public:
  // The process's instance, for the service that belongs to the running bundle.
  static ZqKeychain& sharedInstance();

  explicit ZqKeychain(std::string service, velquarin::platform::keychain::Store& store =
                                               velquarin::platform::keychain::defaultStore());

  const std::string& service() const { return service_; }

  // {"ok?": true, "password": text or null}, or {"ok?": false, "error": status}.
  nlohmann::json passwordForAccount(const std::string& account);
  // Adds or modifies the item; no password deletes it. {"ok?": true} or {"ok?": false, "error"}.
  nlohmann::json setPassword(const std::optional<std::string>& password,
                             const std::string& account);
  // The account names of the service's items; nullopt when the store fails.
  std::optional<std::set<std::string>> allAccounts();
  bool removePasswordForAccount(const std::string& account);
  // Removes the service's items one by one; false when one could not be removed.
  bool removeAllPasswords();

 private:
  std::string service_;
  velquarin::platform::keychain::Store& store_;
};

// The shared instance's service: the bundle name itself for "Quellor", else "Velquarin 3".
std::string ZqKeychainServiceForBundleName(const std::optional<std::string>& bundleName);

// The length of UTF-8 text as the host counts characters (UTF-16 code units).
std::size_t ZqCharacterCount(const std::string& utf8);
