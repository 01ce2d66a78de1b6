#include "Migration/ZqGoogleAppIdentifier.h"

#include <array>

#include "strings/StringTables.h"

namespace {

struct Kind {
  const char* type;
  const char* label;
  const char* icon;
  std::string_view prefix;
};

// The parse order matters: every prefix is tested in turn.
constexpr std::array<Kind, 4> kKinds = {{
    {"Gmail", "Gmail", "Gmail_Template", "Zq_Gmail"},
    {"GoogleInbox", "Google Inbox", "GoogleInbox_Template", "Zq_GoogleInbox"},
    {"Calendar", "Calendar", "Calendar_Template", "Zq_Calendar"},
    {"Contacts", "Contacts", "Contacts_Template", "Zq_Contacts"},
}};

}  // namespace

ZqGoogleAppIdentifier::ZqGoogleAppIdentifier(std::size_t kind, std::string account)
    : kind_(kind),
      accountIdentifier_(std::move(account)),
      type_(kKinds[kind].type),
      defaultIcon_(kKinds[kind].icon) {}

std::string ZqGoogleAppIdentifier::typeLabel() const {
  if (typeLabel_) return *typeLabel_;
  // Looked up when asked: the export makes thousands of identifiers and shows none.
  const std::string english = kKinds[kind_].label;
  return velquarin::platform::localizedString(*velquarin::platform::Bundle::main(), english,
                                              english);
}

ZqGoogleAppIdentifier ZqGoogleAppIdentifier::gmailIdentifierWithAccountIdentifier(
    std::string account) {
  return {0, std::move(account)};
}
ZqGoogleAppIdentifier ZqGoogleAppIdentifier::googleInboxIdentifierWithAccountIdentifier(
    std::string account) {
  return {1, std::move(account)};
}
ZqGoogleAppIdentifier ZqGoogleAppIdentifier::calendarIdentifierWithAccountIdentifier(
    std::string account) {
  return {2, std::move(account)};
}
ZqGoogleAppIdentifier ZqGoogleAppIdentifier::contactsIdentifierWithAccountIdentifier(
    std::string account) {
  return {3, std::move(account)};
}

std::vector<ZqGoogleAppIdentifier> ZqGoogleAppIdentifier::allWithAccountIdentifier(
    const std::string& account) {
  return {{0, account}, {1, account}, {2, account}, {3, account}};
}

std::optional<ZqGoogleAppIdentifier> ZqGoogleAppIdentifier::tryIdentifierWithDescription(
    std::string_view description) {
  for (std::size_t kind = 0; kind < kKinds.size(); ++kind) {
    const std::string_view prefix = kKinds[kind].prefix;
    if (!description.starts_with(prefix)) continue;
    // The prefix alone has no separator to skip: not an identifier.
    if (description.size() <= prefix.size()) return std::nullopt;
    return ZqGoogleAppIdentifier(kind, std::string(description.substr(prefix.size() + 1)));
  }
  return std::nullopt;
}

ZqGoogleAppIdentifier ZqGoogleAppIdentifier::identifierWithDescription(
    std::string_view description) {
  if (auto identifier = tryIdentifierWithDescription(description)) return *identifier;
  throw ZqUnknownIdentifierError(std::string(description));
}

ZqGoogleAppIdentifier ZqGoogleAppIdentifier::toGmailIdentifier() const {
  return {0, accountIdentifier_};
}
ZqGoogleAppIdentifier ZqGoogleAppIdentifier::toGoogleInboxIdentifier() const {
  return {1, accountIdentifier_};
}
ZqGoogleAppIdentifier ZqGoogleAppIdentifier::toCalendarIdentifier() const {
  return {2, accountIdentifier_};
}
ZqGoogleAppIdentifier ZqGoogleAppIdentifier::toContactsIdentifier() const {
  return {3, accountIdentifier_};
}

std::string ZqGoogleAppIdentifier::description() const {
  return "Zq_" + type_ + "_" + accountIdentifier_;
}

bool ZqGoogleAppIdentifier::isEqualToIdentifier(const ZqGoogleAppIdentifier& other) const {
  if (this == &other) return true;
  return accountIdentifier_ == other.accountIdentifier_ && type_ == other.type_;
}

std::uint64_t ZqGoogleAppIdentifier::hash() const {
  const std::uint64_t account = std::hash<std::string>{}(accountIdentifier_);
  const std::uint64_t type = std::hash<std::string>{}(type_);
  return account * 31u + type;
}
