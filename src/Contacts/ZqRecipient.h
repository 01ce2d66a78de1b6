#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A name and an address, with the form they take in an address field.
class ZqRecipient {
 public:
  // The name is set only when given; otherwise it stays empty.
  static ZqRecipient recipient(std::string address, std::optional<std::string> name = {});

  const std::string& address() const { return address_; }
  const std::string& name() const { return name_; }
  void setAddress(std::string address) { address_ = std::move(address); }
  void setName(std::string name) { name_ = std::move(name); }

  // "\"Name\" <address>", or "<address>" without a name; a name that already holds "<" is
  // taken to carry the address and is not followed by one.
  std::string stringForEmail() const;
  static std::string toString(const std::vector<ZqRecipient>& recipients);
  // Splits at "," and reads each piece as "name <address>" or as a bare address.
  static std::vector<ZqRecipient> fromString(std::string_view text);

  bool operator==(const ZqRecipient&) const = default;

 private:
  std::string address_;
  std::string name_;
};
