#pragma once

#include <sys/stat.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "contacts/AddressBook.h"

namespace velquarin::platform {

// The user's address book: a folder of vCard collections in the vdir layout (a folder per
// collection, "*.vcf" files of one or more cards each), the layout vdirsyncer writes and
// khard reads. The folder is the application default "AddressBookFolder" ("~" is the home
// folder) when set, else $XDG_DATA_HOME/contacts. Cards are read from the folder and the
// folders in it (two levels), hidden entries skipped, in path order.
class AddressBookStore {
 public:
  // Files above this size are skipped: no card is that large.
  static constexpr off_t kMaxFileBytes = off_t{16} << 20;

  static AddressBookStore& shared();
  static std::string folder();

  // The book as the folder holds it now. The files are read again only when one of them
  // (or the set of them) changed since the last call; an unreadable folder is an empty book.
  std::shared_ptr<const AddressBook> current();

 private:
  struct FileStamp {
    std::string path;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    timespec changed{};
    bool operator==(const FileStamp& other) const;
  };
  struct Listing {
    std::string folder;
    bool readable = true;
    std::string error;
    std::vector<FileStamp> files;
    bool operator==(const Listing& other) const;
  };

  static Listing list(const std::string& folder);
  static std::shared_ptr<const AddressBook> read(const Listing& listing);

  std::mutex mutex_;
  std::unique_ptr<Listing> listing_;  // what `book_` was read from
  std::shared_ptr<const AddressBook> book_;
};

}  // namespace velquarin::platform
