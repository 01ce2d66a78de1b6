#pragma once

#include <map>
#include <optional>
#include <string>

// Passwords held for this run only, by account name; never written anywhere. Main thread only.
class ZqTransientKeychain {
 public:
  static ZqTransientKeychain& sharedInstance();

  // No password removes the account's entry; any other value replaces it.
  void setPassword(const std::optional<std::string>& password, const std::string& account);
  std::optional<std::string> passwordForAccount(const std::string& account) const;

 private:
  std::map<std::string, std::string> passwordsByAccount_;
};
