#pragma once

#include <sys/stat.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "contacts/AddressBook.h"
#include "files/FileDescriptor.h"

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

  // The book as the folder holds it now; an unreadable folder is an empty book. The folders
  // are watched (inotify): while no event arrives, nothing is listed or read. After an event,
  // the files are listed, and read again only when one of them (its size, times or inode) or
  // the set of them changed. Without a watch, every call lists the files.
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
    std::vector<std::string> folders;  // the folder and its collections, to watch
    bool operator==(const Listing& other) const;
  };

  static Listing list(const std::string& folder);
  static void collect(int fd, const std::string& path, bool descend, Listing& listing);
  // Whether the watched folders may have changed since the last call.
  bool mayHaveChanged(const std::string& folder);
  void watch(const Listing& listing);
  static std::shared_ptr<const AddressBook> read(const Listing& listing);

  std::mutex mutex_;
  std::unique_ptr<Listing> listing_;  // what `book_` was read from
  std::shared_ptr<const AddressBook> book_;
  std::unique_ptr<FileDescriptor> watch_;  // inotify, non-blocking; null: not watching
  std::string watchedFolder_;
};

}  // namespace velquarin::platform
