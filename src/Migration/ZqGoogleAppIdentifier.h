#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// The string form of an identifier did not start with a known prefix; what() is the string.
class ZqUnknownIdentifierError : public std::runtime_error {
 public:
  explicit ZqUnknownIdentifierError(const std::string& reason) : std::runtime_error(reason) {}
  static constexpr const char* name() { return "UnknownIdentifier"; }
};

// One web app (mail, inbox, calendar, contacts) of one account. Label and icon follow the
// type and take no part in equality.
class ZqGoogleAppIdentifier {
 public:
  static ZqGoogleAppIdentifier gmailIdentifierWithAccountIdentifier(std::string account);
  static ZqGoogleAppIdentifier googleInboxIdentifierWithAccountIdentifier(std::string account);
  static ZqGoogleAppIdentifier calendarIdentifierWithAccountIdentifier(std::string account);
  static ZqGoogleAppIdentifier contactsIdentifierWithAccountIdentifier(std::string account);
  static std::vector<ZqGoogleAppIdentifier> allWithAccountIdentifier(const std::string& account);
  // Parses "Zq_<type>_<account>"; throws ZqUnknownIdentifierError for any other text.
  static ZqGoogleAppIdentifier identifierWithDescription(std::string_view description);
  static std::optional<ZqGoogleAppIdentifier> tryIdentifierWithDescription(
      std::string_view description);

  const std::string& accountIdentifier() const { return accountIdentifier_; }
  const std::string& type() const { return type_; }
  // The type's name as shown to the user, in the user's language where the application has
  // a translation (the English name otherwise), unless set.
  std::string typeLabel() const;
  // The name of the type's template image.
  const std::string& defaultIcon() const { return defaultIcon_; }
  void setTypeLabel(std::string label) { typeLabel_ = std::move(label); }
  void setDefaultIcon(std::string icon) { defaultIcon_ = std::move(icon); }

  bool isGmail() const { return type_ == "Gmail"; }
  bool isGoogleInbox() const { return type_ == "GoogleInbox"; }
  bool isCalendar() const { return type_ == "Calendar"; }
  bool isContacts() const { return type_ == "Contacts"; }
  ZqGoogleAppIdentifier toGmailIdentifier() const;
  ZqGoogleAppIdentifier toGoogleInboxIdentifier() const;
  ZqGoogleAppIdentifier toCalendarIdentifier() const;
  ZqGoogleAppIdentifier toContactsIdentifier() const;

  // "Zq_<type>_<account>", the form app states store.
  std::string description() const;
  bool isEqualToIdentifier(const ZqGoogleAppIdentifier& other) const;
  bool operator==(const ZqGoogleAppIdentifier& other) const { return isEqualToIdentifier(other); }
  std::uint64_t hash() const;

 private:
  ZqGoogleAppIdentifier(std::size_t kind, std::string account);

  std::size_t kind_;
  std::string accountIdentifier_;
  std::string type_;
  std::optional<std::string> typeLabel_;
  std::string defaultIcon_;
};

template <>
struct std::hash<ZqGoogleAppIdentifier> {
  std::size_t operator()(const ZqGoogleAppIdentifier& identifier) const {
    return static_cast<std::size_t>(identifier.hash());
  }
};
