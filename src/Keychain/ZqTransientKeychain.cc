#include "Keychain/ZqTransientKeychain.h"

ZqTransientKeychain& ZqTransientKeychain::sharedInstance() {
  static ZqTransientKeychain instance;
  return instance;
}

void ZqTransientKeychain::setPassword(const std::optional<std::string>& password,
                                      const std::string& account) {
  if (password) {
    passwordsByAccount_[account] = *password;
  } else {
    passwordsByAccount_.erase(account);
  }
}

std::optional<std::string> ZqTransientKeychain::passwordForAccount(
    const std::string& account) const {
  const auto found = passwordsByAccount_.find(account);
  if (found == passwordsByAccount_.end()) return std::nullopt;
  return found->second;
}
