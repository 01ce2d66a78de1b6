#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "contacts/VCard.h"

namespace velquarin::platform {

// Person flags: the low three bits are the show-as kind, bits 3-5 the name ordering.
namespace personflags {
inline constexpr int kShowAsMask = 7;
inline constexpr int kShowAsPerson = 0;
inline constexpr int kShowAsCompany = 1;
inline constexpr int kNameOrderingMask = 56;
inline constexpr int kDefaultNameOrdering = 0;
inline constexpr int kLastNameFirst = 16;
inline constexpr int kFirstNameFirst = 32;
}  // namespace personflags

// A person (or company) of the address book: one card.
struct Person {
  std::string identifier;           // the card's UID, else its file and position
  std::vector<std::string> emails;  // in card order, trimmed, none empty
  std::size_t primaryEmail = 0;     // index into emails
  int flags = 0;
  std::optional<std::string> title, firstName, middleName, lastName, suffix, organization;
  std::string cardFile;  // empty for a group member known only by its address

  // The primary e-mail value; nullopt when the person has none.
  std::optional<std::string> primaryEmailValue() const;
};

// A group: a group card, or the cards that share a category.
struct Group {
  std::string identifier;
  std::string name;
  std::vector<std::shared_ptr<const Person>> members;  // in member order
  std::vector<std::size_t> subgroups;                  // indices into AddressBook::groups
  std::string cardFile;                                // empty for a category
};

// One card as read from a file, with where it came from.
struct FileCard {
  std::string file;
  std::size_t index = 0;  // position in its file
  vcard::Card card;
};

// The address book as read at one moment; never changed once built.
struct AddressBook {
  std::string folder;
  std::vector<std::shared_ptr<const Person>> people;  // in file order
  std::vector<Group> groups;              // group cards in file order, then categories by first use
  std::vector<std::string> skippedFiles;  // too large or unreadable

  // The first group whose name is exactly `name`; null when none.
  const Group* groupNamed(const std::string& name) const;
  // The index of the first group or person with that identifier; nullopt when none.
  std::optional<std::size_t> groupIndex(const std::string& identifier) const;
  std::shared_ptr<const Person> person(const std::string& identifier) const;

  // People and groups from parsed cards, in the order given.
  static AddressBook build(std::vector<FileCard> cards);

  // The book's name ordering (kFirstNameFirst or kLastNameFirst), for people whose flags
  // say "default"; first name first until the desktop sets another.
  static int defaultNameOrdering();
  static bool setDefaultNameOrdering(int ordering);
};

}  // namespace velquarin::platform
