#include "contacts/AddressBookStore.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "defaults/UserDefaults.h"
#include "files/FileDescriptor.h"
#include "logging/Log.h"

namespace velquarin::platform {

namespace {

void warn(std::string_view text) {
  Log::write(LogLevel::Warning, {"contacts/AddressBookStore", "current", __LINE__}, text);
}

std::string homeFolder() {
  if (const char* home = std::getenv("HOME"); home && *home == '/') return home;
  struct passwd entry {};
  struct passwd* found = nullptr;
  std::vector<char> buffer(16384);
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
      found->pw_dir) {
    return found->pw_dir;
  }
  return "/";
}

std::string expandTilde(const std::string& path) {
  if (path == "~") return homeFolder();
  if (path.rfind("~/", 0) == 0) return homeFolder() + path.substr(1);
  return path;
}

bool isHidden(const char* name) {
  return name[0] == '.';
}

bool isCardFileName(std::string_view name) {
  return name.size() > 4 && vcard::equalsIgnoringCase(name.substr(name.size() - 4), ".vcf");
}

struct DirCloser {
  void operator()(DIR* dir) const { closedir(dir); }
};
using Dir = std::unique_ptr<DIR, DirCloser>;

// The visible entries of a folder; false (with errno set) when it cannot be read.
bool entriesOf(const std::string& folder, std::vector<std::string>& names) {
  Dir dir(opendir(folder.c_str()));
  if (!dir) return false;
  while (const dirent* entry = readdir(dir.get())) {
    if (!isHidden(entry->d_name)) names.emplace_back(entry->d_name);
  }
  return true;
}

bool sameTime(const timespec& a, const timespec& b) {
  return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

}  // namespace

bool AddressBookStore::FileStamp::operator==(const FileStamp& other) const {
  return path == other.path && device == other.device && inode == other.inode &&
         size == other.size && sameTime(modified, other.modified) &&
         sameTime(changed, other.changed);
}

bool AddressBookStore::Listing::operator==(const Listing& other) const {
  return folder == other.folder && readable == other.readable && files == other.files;
}

AddressBookStore& AddressBookStore::shared() {
  static AddressBookStore* store = new AddressBookStore();
  return *store;
}

std::string AddressBookStore::folder() {
  if (auto chosen = UserDefaults::standard()->stringValue("AddressBookFolder");
      chosen && !chosen->empty()) {
    return expandTilde(*chosen);
  }
  if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data == '/') {
    return std::string(data) + "/contacts";
  }
  return homeFolder() + "/.local/share/contacts";
}

AddressBookStore::Listing AddressBookStore::list(const std::string& folder) {
  Listing listing;
  listing.folder = folder;
  std::vector<std::string> top;
  if (!entriesOf(folder, top)) {
    listing.readable = errno == ENOENT;  // no folder yet: an empty book, nothing to report
    listing.error = std::strerror(errno);
    return listing;
  }
  std::vector<std::string> paths;
  for (const std::string& name : top) {
    const std::string path = folder + "/" + name;
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) continue;
    if (S_ISREG(info.st_mode) && isCardFileName(name)) paths.push_back(path);
    if (!S_ISDIR(info.st_mode)) continue;
    std::vector<std::string> inner;
    if (!entriesOf(path, inner)) continue;
    for (const std::string& file : inner) {
      if (isCardFileName(file)) paths.push_back(path + "/" + file);
    }
  }
  std::sort(paths.begin(), paths.end());
  for (std::string& path : paths) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
    listing.files.push_back(FileStamp{std::move(path), info.st_dev, info.st_ino, info.st_size,
                                      info.st_mtim, info.st_ctim});
  }
  return listing;
}

std::shared_ptr<const AddressBook> AddressBookStore::read(const Listing& listing) {
  std::vector<FileCard> cards;
  std::vector<std::string> skipped;
  for (const FileStamp& stamp : listing.files) {
    FileDescriptor fd(::open(stamp.path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat info {};
    if (!fd || fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode) ||
        info.st_size > kMaxFileBytes) {
      warn("Skipping the card file " + stamp.path + ": " +
           (fd && info.st_size > kMaxFileBytes ? "it is larger than 16 MiB" : "it cannot be read"));
      skipped.push_back(stamp.path);
      continue;
    }
    std::string text(static_cast<std::size_t>(info.st_size), '\0');
    std::size_t filled = 0;
    while (filled < text.size()) {
      const ssize_t got = ::read(fd.get(), text.data() + filled, text.size() - filled);
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) break;
      filled += static_cast<std::size_t>(got);
    }
    text.resize(filled);
    std::size_t index = 0;
    for (vcard::Card& card : vcard::parse(text)) {
      cards.push_back(FileCard{stamp.path, index++, std::move(card)});
    }
  }
  auto book = std::make_shared<AddressBook>(AddressBook::build(std::move(cards)));
  book->folder = listing.folder;
  book->skippedFiles = std::move(skipped);
  return book;
}

std::shared_ptr<const AddressBook> AddressBookStore::current() {
  Listing listing = list(folder());
  std::lock_guard lock(mutex_);
  if (book_ && listing_ && *listing_ == listing) return book_;
  if (!listing.readable) {
    warn("Couldn't read the address book folder " + listing.folder + ": " + listing.error);
  }
  book_ = read(listing);
  listing_ = std::make_unique<Listing>(std::move(listing));
  return book_;
}

}  // namespace velquarin::platform
