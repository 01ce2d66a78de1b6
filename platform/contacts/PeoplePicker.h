#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "contacts/AddressBook.h"

namespace velquarin::platform {

// The people-picker view: the address book's people with e-mail values and its groups, and
// what the user selected, in selection order: e-mail values, records (people) and groups,
// each kept on its own.
class PeoplePicker {
 public:
  struct Selection {
    std::vector<std::string> values;   // e-mail addresses
    std::vector<std::string> records;  // person identifiers
    std::vector<std::string> groups;   // group identifiers
  };

  PeoplePicker();

  // Takes the address book as it is now; a changed book clears the selection.
  void reload();
  const std::shared_ptr<const AddressBook>& book() const { return book_; }
  // The people the view lists: those with at least one e-mail value.
  std::vector<std::shared_ptr<const Person>> listedPeople() const;

  // Replaces the selection. False (and no change) when an entry is not in the book, or
  // when more than one of a kind is given without multiple selection (or a group without
  // group selection).
  bool select(Selection selection);
  const Selection& selection() const { return selection_; }
  std::vector<std::shared_ptr<const Person>> selectedRecords() const;
  std::vector<std::size_t> selectedGroups() const;  // indices into book()->groups

  // A double click selects the item, then runs the view's action for it; false when the
  // book has no such item.
  bool doubleClickGroup(const std::string& identifier);
  bool doubleClickName(const std::string& identifier);

  // The card file of the first selected record, for the contacts application; nullopt
  // when no record with a file is selected.
  std::optional<std::string> selectedCardFile() const;

  std::string displayedProperty = "Email";
  bool allowsGroupSelection = true;
  bool allowsMultipleSelection = true;
  std::function<void()> groupDoubleAction;
  std::function<void()> nameDoubleAction;

 private:
  bool valid(const Selection& selection) const;

  std::shared_ptr<const AddressBook> book_;
  Selection selection_;
};

}  // namespace velquarin::platform
