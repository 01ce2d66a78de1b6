#include "contacts/AddressBookStore.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "defaults/UserDefaults.h"
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

// Adds the card files of the open folder `fd` (and, with `descend`, of the folders in it)
// with one stat each.
void AddressBookStore::collect(int fd, const std::string& path, bool descend, Listing& listing) {
  Dir dir(fdopendir(fd));
  if (!dir) {
    ::close(fd);
    return;
  }
  while (const dirent* entry = readdir(dir.get())) {
    if (isHidden(entry->d_name)) continue;
    const bool cardName = isCardFileName(entry->d_name);
    const bool maybeFolder = descend && entry->d_type != DT_REG;
    if (!cardName && !maybeFolder) continue;
    struct stat info {};
    if (fstatat(dirfd(dir.get()), entry->d_name, &info, 0) != 0) continue;
    std::string full = path + "/" + entry->d_name;
    if (cardName && S_ISREG(info.st_mode)) {
      listing.files.push_back(FileStamp{std::move(full), info.st_dev, info.st_ino, info.st_size,
                                        info.st_mtim, info.st_ctim});
    } else if (descend && S_ISDIR(info.st_mode)) {
      const int inner = openat(dirfd(dir.get()), entry->d_name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      if (inner < 0) continue;
      listing.folders.push_back(full);
      collect(inner, full, false, listing);
    }
  }
}

AddressBookStore::Listing AddressBookStore::list(const std::string& folder) {
  Listing listing;
  listing.folder = folder;
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) {
    listing.readable = errno == ENOENT;  // no folder yet: an empty book, nothing to report
    listing.error = std::strerror(errno);
    return listing;
  }
  listing.folders.push_back(folder);
  collect(fd, folder, true, listing);
  std::sort(listing.files.begin(), listing.files.end(),
            [](const FileStamp& a, const FileStamp& b) { return a.path < b.path; });
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

bool AddressBookStore::mayHaveChanged(const std::string& folder) {
  if (!watch_ || watchedFolder_ != folder) return true;
  bool changed = false;
  alignas(inotify_event) char events[4096];
  while (::read(watch_->get(), events, sizeof events) > 0) changed = true;
  return changed;
}

void AddressBookStore::watch(const Listing& listing) {
  watch_ = std::make_unique<FileDescriptor>(inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
  watchedFolder_ = listing.folder;
  constexpr std::uint32_t kEvents = IN_CREATE | IN_DELETE | IN_MODIFY | IN_ATTRIB | IN_MOVED_FROM |
                                    IN_MOVED_TO | IN_CLOSE_WRITE | IN_DELETE_SELF | IN_MOVE_SELF |
                                    IN_ONLYDIR;
  bool watching = *watch_ && !listing.folders.empty();
  for (const std::string& path : listing.folders) {
    watching = watching && inotify_add_watch(watch_->get(), path.c_str(), kEvents) >= 0;
  }
  if (!watching) watch_.reset();  // list on every call instead
}

std::shared_ptr<const AddressBook> AddressBookStore::current() {
  const std::string path = folder();
  std::lock_guard lock(mutex_);
  if (book_ && !mayHaveChanged(path)) return book_;
  Listing listing = list(path);
  watch(listing);
  if (watch_) {
    // A change made before the watches were in place shows in a second listing.
    Listing again = list(path);
    if (!(again == listing) || again.folders != listing.folders) {
      watch_.reset();
      listing = std::move(again);
    }
  }
  if (book_ && listing_ && *listing_ == listing) return book_;
  if (!listing.readable) {
    warn("Couldn't read the address book folder " + listing.folder + ": " + listing.error);
  }
  book_ = read(listing);
  listing_ = std::make_unique<Listing>(std::move(listing));
  return book_;
}

}  // namespace velquarin::platform
