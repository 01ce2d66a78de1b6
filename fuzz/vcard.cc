// vCard files as an address book folder holds them: parsed into cards, people and groups,
// every group expanded into recipients and written in address-field form. Values are valid
// UTF-8, e-mail values trimmed and non-empty, references in range, expansions bounded, and a
// written name is always exactly one quoted string.

#include <glib.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "Contacts/ZqRecipient.h"
#include "FuzzSupport.h"
#include "contacts/AddressBook.h"
#include "contacts/VCard.h"

namespace {

using velquarin::platform::AddressBook;
using velquarin::platform::FileCard;
using velquarin::platform::Person;

bool validText(std::string_view text) {
  return g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr);
}

bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The length of the quoted string that `text` starts with, honouring backslash escapes;
// npos when it is not closed.
std::size_t quotedLength(std::string_view text) {
  for (std::size_t i = 1; i < text.size(); ++i) {
    if (text[i] == '\\') {
      ++i;
    } else if (text[i] == '"') {
      return i + 1;
    }
  }
  return std::string_view::npos;
}

void checkPerson(const Person& person) {
  ZQ_FUZZ_CHECK(person.emails.empty() || person.primaryEmail < person.emails.size(),
                person.identifier);
  for (const std::string& email : person.emails) {
    ZQ_FUZZ_CHECK(validText(email), email);
    ZQ_FUZZ_CHECK(!email.empty() && !isBlank(email.front()) && !isBlank(email.back()), email);
  }
  for (const auto* part : {&person.title, &person.firstName, &person.middleName, &person.lastName,
                           &person.suffix, &person.organization}) {
    ZQ_FUZZ_CHECK(!*part || (validText(**part) && !(*part)->empty()), person.identifier);
  }
}

void checkRecipient(const ZqRecipient& recipient) {
  const std::string written = recipient.stringForEmail();
  if (recipient.name().empty()) {
    ZQ_FUZZ_CHECK(written == "<" + recipient.address() + ">", written);
    return;
  }
  const std::size_t quoted = quotedLength(written);
  ZQ_FUZZ_CHECK(written.front() == '"' && quoted != std::string_view::npos, written);
  const std::string_view rest = std::string_view(written).substr(quoted);
  ZQ_FUZZ_CHECK(rest == " " || rest == " <" + recipient.address() + ">", written);
  for (char c : written) ZQ_FUZZ_CHECK(static_cast<unsigned char>(c) >= 0x20, written);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::vector<FileCard> cards;
  std::size_t index = 0;
  for (auto& card : velquarin::platform::vcard::parse(text)) {
    for (const auto& property : card.properties) {
      ZQ_FUZZ_CHECK(validText(property.value), property.value);
      ZQ_FUZZ_CHECK(!property.name.empty(), property.value);
    }
    cards.push_back(FileCard{"fuzz.vcf", index++, std::move(card)});
  }
  const AddressBook book = AddressBook::build(std::move(cards));
  for (const auto& person : book.people) checkPerson(*person);
  for (std::size_t group = 0; group < book.groups.size(); ++group) {
    for (std::size_t subgroup : book.groups[group].subgroups) {
      ZQ_FUZZ_CHECK(subgroup < book.groups.size(), book.groups[group].name);
    }
    for (const auto& member : book.groups[group].members) checkPerson(*member);
    const auto recipients = ZqRecipient::recipientsFromGroup(book, group);
    ZQ_FUZZ_CHECK(recipients.size() <= ZqRecipient::kMaxGroupRecipients, book.groups[group].name);
    for (const ZqRecipient& recipient : recipients) checkRecipient(recipient);
  }
  return 0;
}
