// People and groups from vCards: the fields the address book offers, taken from the
// properties that vCard 2.1, 3.0 and 4.0 and the common address books write.

#include "contacts/AddressBook.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <limits>
#include <map>
#include <unordered_map>

namespace velquarin::platform {

using vcard::Card;
using vcard::Property;

namespace {

std::atomic<int> defaultOrdering{personflags::kFirstNameFirst};

std::string trim(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return std::string(text);
}

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() &&
         vcard::equalsIgnoringCase(text.substr(0, prefix.size()), prefix);
}

// A UID or member reference without its "urn:uuid:" form, so both forms meet.
std::string referenceKey(std::string_view text) {
  std::string key = trim(text);
  if (startsWithIgnoringCase(key, "urn:uuid:")) key.erase(0, 9);
  return key;
}

std::string textValue(const Property& property) {
  return trim(vcard::unescape(property.value));
}

bool propertyIs(const Card& card, std::string_view name, std::string_view value) {
  for (const Property& property : card.properties) {
    if (property.name == name && vcard::equalsIgnoringCase(textValue(property), value)) {
      return true;
    }
  }
  return false;
}

bool isGroupCard(const Card& card) {
  return propertyIs(card, "KIND", "group") || propertyIs(card, "X-ADDRESSBOOKSERVER-KIND", "group");
}

bool isCompanyCard(const Card& card) {
  return propertyIs(card, "KIND", "org") || propertyIs(card, "X-ABSHOWAS", "COMPANY");
}

std::optional<std::string> nonEmpty(std::string text) {
  if (text.empty()) return std::nullopt;
  return text;
}

// The PREF number of an e-mail value (1 is most preferred); nullopt when it has none.
std::optional<int> preference(const Property& property) {
  const std::string_view text = property.parameterValue("PREF");
  int number = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return number;
}

bool markedPreferred(const Property& property) {
  return property.hasParameterValue("TYPE", "pref") ||
         std::any_of(property.parameters.begin(), property.parameters.end(),
                     [](const vcard::Parameter& p) { return p.name == "PREF"; });
}

// E-mail values in order, and the primary one: the lowest PREF number, else the first
// marked preferred, else the first.
void readEmails(const Card& card, Person& person) {
  std::optional<std::pair<int, std::size_t>> lowest;
  std::optional<std::size_t> marked;
  for (const Property& property : card.properties) {
    if (property.name != "EMAIL") continue;
    std::string address = textValue(property);
    if (address.empty()) continue;
    const std::size_t index = person.emails.size();
    if (auto number = preference(property); number && (!lowest || *number < lowest->first)) {
      lowest = std::pair(*number, index);
    }
    if (!marked && markedPreferred(property)) marked = index;
    person.emails.push_back(std::move(address));
  }
  person.primaryEmail = lowest ? lowest->second : marked.value_or(0);
}

void readNames(const Card& card, Person& person) {
  if (const Property* n = card.first("N")) {
    std::vector<std::string> parts = vcard::structuredComponents(n->value);
    parts.resize(5);
    person.lastName = nonEmpty(trim(parts[0]));
    person.firstName = nonEmpty(trim(parts[1]));
    person.middleName = nonEmpty(trim(parts[2]));
    person.title = nonEmpty(trim(parts[3]));
    person.suffix = nonEmpty(trim(parts[4]));
  }
  const bool named =
      person.lastName || person.firstName || person.middleName || person.title || person.suffix;
  if (const Property* fn = card.first("FN"); fn && !named)
    person.firstName = nonEmpty(textValue(*fn));
  if (const Property* org = card.first("ORG")) {
    std::vector<std::string> parts = vcard::structuredComponents(org->value);
    person.organization = nonEmpty(trim(parts.front()));
  }
}

class Builder {
 public:
  AddressBook build(std::vector<FileCard> cards) {
    for (FileCard& card : cards) {
      if (isGroupCard(card.card)) {
        addGroupCard(card);
      } else {
        addPerson(card);
      }
    }
    for (std::size_t i = 0; i < groupCards_.size(); ++i) resolveMembers(*groupCards_[i], i);
    addCategories();
    return std::move(book_);
  }

 private:
  struct Reference {
    bool isGroup;
    std::size_t index;
  };

  std::string identifierFor(const FileCard& card) {
    std::string key;
    if (const Property* uid = card.card.first("UID"))
      key = referenceKey(vcard::unescape(uid->value));
    if (key.empty() || references_.count(key)) {
      key = card.file + "#" + std::to_string(card.index);
    }
    return key;
  }

  void addPerson(const FileCard& card) {
    auto person = std::make_shared<Person>();
    person->identifier = identifierFor(card);
    person->cardFile = card.file;
    readEmails(card.card, *person);
    readNames(card.card, *person);
    if (isCompanyCard(card.card)) person->flags |= personflags::kShowAsCompany;
    references_.emplace(person->identifier, Reference{false, book_.people.size()});
    book_.people.push_back(std::move(person));
    personCards_.push_back(&card.card);
  }

  void addGroupCard(const FileCard& card) {
    Group group;
    group.identifier = identifierFor(card);
    group.cardFile = card.file;
    if (const Property* fn = card.card.first("FN")) group.name = textValue(*fn);
    references_.emplace(group.identifier, Reference{true, book_.groups.size()});
    book_.groups.push_back(std::move(group));
    groupCards_.push_back(&card.card);
  }

  // Members in order: people by UID, groups by UID as subgroups, "mailto:" addresses as
  // people with that address and no name; anything else is skipped.
  void resolveMembers(const Card& card, std::size_t groupIndex) {
    Group& group = book_.groups[groupIndex];
    for (const Property& property : card.properties) {
      if (property.name != "MEMBER" && property.name != "X-ADDRESSBOOKSERVER-MEMBER") continue;
      const std::string value = textValue(property);
      if (startsWithIgnoringCase(value, "mailto:")) {
        addAddressMember(group, value.substr(7));
        continue;
      }
      const auto found = references_.find(referenceKey(value));
      if (found == references_.end()) continue;
      if (found->second.isGroup) {
        group.subgroups.push_back(found->second.index);
      } else {
        group.members.push_back(book_.people[found->second.index]);
      }
    }
  }

  static void addAddressMember(Group& group, std::string_view target) {
    std::string address = trim(target.substr(0, target.find('?')));
    if (address.empty()) return;
    auto person = std::make_shared<Person>();
    person->identifier = "mailto:" + address;
    person->emails.push_back(std::move(address));
    group.members.push_back(std::move(person));
  }

  void addCategories() {
    std::map<std::string, std::size_t> byName;  // category name -> group index
    for (std::size_t i = 0; i < personCards_.size(); ++i) {
      for (const Property& property : personCards_[i]->properties) {
        if (property.name != "CATEGORIES") continue;
        for (std::string_view raw : vcard::splitUnescaped(property.value, ',')) {
          std::string name = trim(vcard::unescape(raw));
          if (name.empty()) continue;
          auto [entry, added] = byName.emplace(name, book_.groups.size());
          if (added) {
            Group group;
            group.identifier = "category:" + name;
            group.name = std::move(name);
            book_.groups.push_back(std::move(group));
          }
          auto& members = book_.groups[entry->second].members;
          if (members.empty() || members.back() != book_.people[i]) {
            members.push_back(book_.people[i]);
          }
        }
      }
    }
  }

  AddressBook book_;
  std::unordered_map<std::string, Reference> references_;
  std::vector<const Card*> personCards_;  // parallel to book_.people
  std::vector<const Card*> groupCards_;   // parallel to the group cards in book_.groups
};

}  // namespace

std::optional<std::string> Person::primaryEmailValue() const {
  if (primaryEmail >= emails.size()) return std::nullopt;
  return emails[primaryEmail];
}

const Group* AddressBook::groupNamed(const std::string& name) const {
  const auto found =
      std::find_if(groups.begin(), groups.end(), [&](const Group& g) { return g.name == name; });
  return found == groups.end() ? nullptr : &*found;
}

std::optional<std::size_t> AddressBook::groupIndex(const std::string& identifier) const {
  for (std::size_t i = 0; i < groups.size(); ++i) {
    if (groups[i].identifier == identifier) return i;
  }
  return std::nullopt;
}

std::shared_ptr<const Person> AddressBook::person(const std::string& identifier) const {
  for (const auto& candidate : people) {
    if (candidate->identifier == identifier) return candidate;
  }
  return nullptr;
}

AddressBook AddressBook::build(std::vector<FileCard> cards) {
  return Builder().build(std::move(cards));
}

int AddressBook::defaultNameOrdering() {
  return defaultOrdering.load();
}

bool AddressBook::setDefaultNameOrdering(int ordering) {
  if (ordering != personflags::kFirstNameFirst && ordering != personflags::kLastNameFirst) {
    return false;
  }
  defaultOrdering.store(ordering);
  return true;
}

}  // namespace velquarin::platform
