#include "Contacts/ZqRecipient.h"

#include <algorithm>

#include "Utilities/ZqLog.h"

using velquarin::platform::AddressBook;
using velquarin::platform::Group;
using velquarin::platform::Person;
namespace personflags = velquarin::platform::personflags;

namespace {

bool isControl(char c) {
  return static_cast<unsigned char>(c) < 0x20 || c == 0x7f;
}

// Characters that would end or split an address in an address field.
bool unsafeAddress(std::string_view address) {
  return std::any_of(address.begin(), address.end(),
                     [](char c) { return c == '<' || c == '>' || c == ',' || isControl(c); });
}

std::string quotedName(std::string_view name) {
  std::string text = "\"";
  for (char c : name) {
    if (c == '\\' || c == '"') text += '\\';
    text += isControl(c) ? ' ' : c;
  }
  return text + "\"";
}

std::string composedName(const Person& person) {
  int ordering = person.flags & personflags::kNameOrderingMask;
  if (ordering == personflags::kDefaultNameOrdering) ordering = AddressBook::defaultNameOrdering();
  const bool lastFirst = ordering == personflags::kLastNameFirst;
  std::string name;
  const auto append = [&name](const std::optional<std::string>& part) {
    if (part && !part->empty()) name += *part + " ";
  };
  append(person.title);
  if (lastFirst) append(person.lastName);
  append(person.firstName);
  append(person.middleName);
  if (!lastFirst) append(person.lastName);
  append(person.suffix);
  if (!name.empty()) name.pop_back();
  return name;
}

// Depth-first expansion of one group with the guards a hand-made group structure needs.
class GroupExpansion {
 public:
  explicit GroupExpansion(const AddressBook& book)
      : book_(book), onPath_(book.groups.size(), false) {}

  std::vector<ZqRecipient> run(std::size_t group) {
    root_ = group;
    expand(group, 1);
    return std::move(recipients_);
  }

 private:
  void expand(std::size_t index, std::size_t depth) {
    const Group& group = book_.groups[index];
    ++expansions_;
    onPath_[index] = true;
    for (const auto& member : group.members) {
      if (full()) break;
      const auto address = member->primaryEmailValue();
      if (!address || address->empty()) continue;
      if (auto recipient = ZqRecipient::recipient(*address, *member)) {
        recipients_.push_back(std::move(*recipient));
      }
    }
    for (std::size_t subgroup : group.subgroups) {
      if (full()) break;
      if (onPath_[subgroup]) {
        ZQ_LOG_WARN("Skipping group %@ inside itself", book_.groups[subgroup].name);
      } else if (depth >= ZqRecipient::kMaxGroupDepth) {
        ZQ_LOG_WARN("Skipping group %@: groups are nested more than %@ levels deep",
                    book_.groups[subgroup].name, ZqRecipient::kMaxGroupDepth);
      } else {
        expand(subgroup, depth + 1);
      }
    }
    onPath_[index] = false;
  }

  bool full() {
    if (recipients_.size() < ZqRecipient::kMaxGroupRecipients &&
        expansions_ <= ZqRecipient::kMaxGroupRecipients) {
      return false;
    }
    if (!reportedFull_) {
      ZQ_LOG_WARN("Group %@ holds more than %@ recipients or groups; the rest are left out",
                  book_.groups[root_].name, ZqRecipient::kMaxGroupRecipients);
      reportedFull_ = true;
    }
    return true;
  }

  const AddressBook& book_;
  std::vector<bool> onPath_;
  std::vector<ZqRecipient> recipients_;
  std::size_t root_ = 0;
  std::size_t expansions_ = 0;
  bool reportedFull_ = false;
};

}  // namespace

ZqRecipient ZqRecipient::recipient(std::string address, std::optional<std::string> name) {
  ZqRecipient result;
  result.address_ = std::move(address);
  if (name) result.name_ = std::move(*name);
  return result;
}

std::optional<ZqRecipient> ZqRecipient::recipient(const std::string& address,
                                                  const Person& person) {
  if (std::find(person.emails.begin(), person.emails.end(), address) == person.emails.end()) {
    return std::nullopt;
  }
  if (unsafeAddress(address)) {
    ZQ_LOG_WARN("Skipping the address %@ of %@: an address field cannot carry it", address,
                person.identifier);
    return std::nullopt;
  }
  if ((person.flags & personflags::kShowAsMask) != personflags::kShowAsPerson) {
    return recipient(address, person.organization);
  }
  return recipient(address, composedName(person));
}

std::vector<ZqRecipient> ZqRecipient::recipientsFromGroup(const AddressBook& book,
                                                          std::size_t group) {
  if (group >= book.groups.size()) return {};
  return GroupExpansion(book).run(group);
}

std::string ZqRecipient::stringForEmail() const {
  std::string text;
  if (!name_.empty()) text = quotedName(name_) + " ";
  if (text.find('<') == std::string::npos) text += "<" + address_ + ">";
  return text;
}

std::string ZqRecipient::toString(const std::vector<ZqRecipient>& recipients) {
  std::string text;
  for (const ZqRecipient& recipient : recipients) {
    if (!text.empty()) text += ", ";
    text += recipient.stringForEmail();
  }
  return text;
}

std::vector<ZqRecipient> ZqRecipient::fromString(std::string_view text) {
  std::vector<ZqRecipient> recipients;
  while (true) {
    const auto comma = text.find(',');
    const std::string_view piece = text.substr(0, comma);
    if (!piece.empty()) {
      const auto open = piece.find('<');
      const auto close = piece.find('>');
      if (open != std::string_view::npos && close != std::string_view::npos && close > open) {
        std::string_view name = piece.substr(0, open);
        while (!name.empty() && (name.front() == ' ' || name.front() == '\t'))
          name.remove_prefix(1);
        while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.remove_suffix(1);
        recipients.push_back(
            recipient(std::string(piece.substr(open + 1, close - open - 1)), std::string(name)));
      } else {
        recipients.push_back(recipient(std::string(piece)));
      }
    }
    if (comma == std::string_view::npos) break;
    text.remove_prefix(comma + 1);
  }
  return recipients;
}
