#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "contacts/AddressBook.h"

// A name and an address, with the form they take in an address field.
class ZqRecipient {
 public:
  // The name is set only when given; otherwise it stays empty.
  static ZqRecipient recipient(std::string address, std::optional<std::string> name = {});
  // The recipient for one of the person's e-mail values, named as the person is shown
  // (a company by its organisation); nullopt when no value equals `address`, or when the
  // address holds characters an address field cannot carry.
  static std::optional<ZqRecipient> recipient(const std::string& address,
                                              const velquarin::platform::Person& person);
  // The primary addresses of the group's members, then its subgroups' (depth first).
  // Duplicates stay; a group already being expanded is skipped, and the expansion stops at
  // kMaxGroupDepth levels, kMaxGroupRecipients recipients and as many groups expanded (so
  // that nested diamonds of empty groups end too).
  static std::vector<ZqRecipient> recipientsFromGroup(const velquarin::platform::AddressBook& book,
                                                      std::size_t group);
  static constexpr std::size_t kMaxGroupDepth = 64;
  static constexpr std::size_t kMaxGroupRecipients = 10000;

  const std::string& address() const { return address_; }
  const std::string& name() const { return name_; }
  void setAddress(std::string address) { address_ = std::move(address); }
  void setName(std::string name) { name_ = std::move(name); }

  // "\"Name\" <address>", or "<address>" without a name; a name that already holds "<" is
  // taken to carry the address and is not followed by one. In the name, "\\" and "\""
  // are escaped and control characters become spaces, so a name is always one quoted string.
  std::string stringForEmail() const;
  static std::string toString(const std::vector<ZqRecipient>& recipients);
  // Splits at "," and reads each piece as "name <address>" or as a bare address.
  static std::vector<ZqRecipient> fromString(std::string_view text);

  bool operator==(const ZqRecipient&) const = default;

 private:
  std::string address_;
  std::string name_;
};
