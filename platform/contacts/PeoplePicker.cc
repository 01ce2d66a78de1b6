#include "contacts/PeoplePicker.h"

#include <algorithm>

#include "contacts/AddressBookStore.h"

namespace velquarin::platform {

PeoplePicker::PeoplePicker() : book_(std::make_shared<AddressBook>()) {}

void PeoplePicker::reload() {
  auto book = AddressBookStore::shared().current();
  if (book != book_) selection_ = {};
  book_ = std::move(book);
}

std::vector<std::shared_ptr<const Person>> PeoplePicker::listedPeople() const {
  std::vector<std::shared_ptr<const Person>> listed;
  std::copy_if(book_->people.begin(), book_->people.end(), std::back_inserter(listed),
               [](const auto& person) { return !person->emails.empty(); });
  return listed;
}

bool PeoplePicker::valid(const Selection& selection) const {
  const auto anyPersonHas = [this](const std::string& value) {
    return std::any_of(book_->people.begin(), book_->people.end(), [&](const auto& person) {
      return std::find(person->emails.begin(), person->emails.end(), value) != person->emails.end();
    });
  };
  if (!allowsMultipleSelection && (selection.values.size() > 1 || selection.records.size() > 1 ||
                                   selection.groups.size() > 1)) {
    return false;
  }
  if (!allowsGroupSelection && !selection.groups.empty()) return false;
  return std::all_of(selection.values.begin(), selection.values.end(), anyPersonHas) &&
         std::all_of(selection.records.begin(), selection.records.end(),
                     [this](const std::string& id) { return book_->person(id) != nullptr; }) &&
         std::all_of(selection.groups.begin(), selection.groups.end(),
                     [this](const std::string& id) { return book_->groupIndex(id).has_value(); });
}

bool PeoplePicker::select(Selection selection) {
  if (!valid(selection)) return false;
  selection_ = std::move(selection);
  return true;
}

std::vector<std::shared_ptr<const Person>> PeoplePicker::selectedRecords() const {
  std::vector<std::shared_ptr<const Person>> records;
  for (const std::string& id : selection_.records) {
    if (auto person = book_->person(id)) records.push_back(std::move(person));
  }
  return records;
}

std::vector<std::size_t> PeoplePicker::selectedGroups() const {
  std::vector<std::size_t> groups;
  for (const std::string& id : selection_.groups) {
    if (auto index = book_->groupIndex(id)) groups.push_back(*index);
  }
  return groups;
}

bool PeoplePicker::doubleClickGroup(const std::string& identifier) {
  if (!select(Selection{{}, {}, {identifier}})) return false;
  if (groupDoubleAction) groupDoubleAction();
  return true;
}

bool PeoplePicker::doubleClickName(const std::string& identifier) {
  auto person = book_->person(identifier);
  if (!person) return false;
  Selection selection{{}, {identifier}, {}};
  if (auto primary = person->primaryEmailValue()) selection.values.push_back(*primary);
  selection_ = std::move(selection);
  if (nameDoubleAction) nameDoubleAction();
  return true;
}

std::optional<std::string> PeoplePicker::selectedCardFile() const {
  for (const auto& person : selectedRecords()) {
    if (!person->cardFile.empty()) return person->cardFile;
  }
  return std::nullopt;
}

}  // namespace velquarin::platform
