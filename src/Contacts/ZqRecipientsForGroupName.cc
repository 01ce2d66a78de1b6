#include "Contacts/ZqRecipientsForGroupName.h"

#include "Contacts/ZqRecipient.h"
#include "contacts/AddressBookStore.h"

std::optional<nlohmann::json> ZqRecipientsForGroupName(const std::string& name) {
  const auto book = velquarin::platform::AddressBookStore::shared().current();
  const auto* group = book->groupNamed(name);
  if (!group) return std::nullopt;
  const auto index = static_cast<std::size_t>(group - book->groups.data());
  nlohmann::json recipients = nlohmann::json::array();
  for (const ZqRecipient& recipient : ZqRecipient::recipientsFromGroup(*book, index)) {
    nlohmann::json entry = nlohmann::json::object();
    if (!recipient.name().empty()) entry["name"] = recipient.name();
    entry["email"] = recipient.address();
    recipients.push_back(std::move(entry));
  }
  return recipients;
}
