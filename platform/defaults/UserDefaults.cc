#include "defaults/UserDefaults.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <map>
#include <thread>

#include "bundle/Bundle.h"
#include "files/Directories.h"
#include "files/FileDescriptor.h"
#include "notificationcenter/NotificationCenter.h"
#include "plist/PlistWriter.h"
#include "runloop/MainQueue.h"

namespace velquarin::platform {
namespace {

constexpr const char* kDefaultBundleName = "Velquarin";
constexpr const char* kDefaultIdentifier = "io.velquarin.desktop";
// A preferences file larger than this is not a preferences file.
constexpr off_t kMaxFileSize = off_t{256} << 20;

std::string errorText(int error) {
  return std::strerror(error);
}

// Names from Info.plist become path components: nothing that climbs out of the folder.
bool isSafeFileName(const std::string& name) {
  return !name.empty() && name.size() <= 200 && name.front() != '.' &&
         name.find('/') == std::string::npos && name.find('\0') == std::string::npos;
}

std::string configHome() {
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/') return xdg;
  if (const char* home = std::getenv("HOME"); home && *home == '/') {
    return std::string(home) + "/.config";
  }
  passwd entry{};
  passwd* found = nullptr;
  std::vector<char> buffer(16384);
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
      found->pw_dir && *found->pw_dir == '/') {
    return std::string(found->pw_dir) + "/.config";
  }
  return "/.config";
}

struct Registry {
  std::mutex mutex;
  std::map<std::string, std::shared_ptr<UserDefaults>> stores;
  DefaultsLogHandler handler;
};

Registry& registry() {
  // Never destroyed: the exit-time flush and late log lines still find it.
  static Registry* instance = new Registry();
  return *instance;
}

const char* levelName(DefaultsLogLevel level) {
  switch (level) {
    case DefaultsLogLevel::Error:
      return "error";
    case DefaultsLogLevel::Warning:
      return "warning";
    case DefaultsLogLevel::Info:
      return "info";
  }
  return "info";
}

// Creates `path` and its missing parents, private to the user.
std::string parentOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string fileNameOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The advisory lock that writers of one domain take. A lock held elsewhere for longer than
// a couple of seconds is given up on: a hung process must not freeze this one.
class DomainLock {
 public:
  explicit DomainLock(const std::string& path)
      : fd_(::open((path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600)) {
    if (!fd_) return;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    for (;;) {
      if (::flock(fd_.get(), LOCK_EX | LOCK_NB) == 0) {
        held_ = true;
        return;
      }
      if (errno != EWOULDBLOCK && errno != EINTR) return;
      if (std::chrono::steady_clock::now() > deadline) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }
  bool held() const { return held_; }

 private:
  FileDescriptor fd_;
  bool held_ = false;
};

// Replaces `path` with `bytes` so that a crash at any moment leaves the old file or the new
// one. Returns an error text, empty on success.
std::string writeAtomically(const std::string& path, const std::string& bytes) {
  const std::string folder = parentOf(path);
  std::string temporary = folder + "/." + fileNameOf(path) + ".XXXXXX";
  FileDescriptor fd(::mkostemp(temporary.data(), O_CLOEXEC));
  if (!fd) return "cannot create a temporary file in " + folder + ": " + errorText(errno);
  auto fail = [&](const std::string& what) {
    const std::string text = what + ": " + errorText(errno);
    fd.reset();
    ::unlink(temporary.c_str());
    return text;
  };
  std::size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t n = ::write(fd.get(), bytes.data() + written, bytes.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return fail("cannot write " + temporary);
    written += static_cast<std::size_t>(n);
  }
  if (::fsync(fd.get()) != 0) return fail("cannot flush " + temporary);
  if (!fd.reset()) {
    ::unlink(temporary.c_str());
    return "cannot close " + temporary + ": " + errorText(errno);
  }
  if (::rename(temporary.c_str(), path.c_str()) != 0) {
    const std::string text = "cannot rename " + temporary + ": " + errorText(errno);
    ::unlink(temporary.c_str());
    return text;
  }
  // The rename itself is durable once the folder's entry is on disk.
  FileDescriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir) ::fsync(dir.get());
  return {};
}

}  // namespace

UserDefaults::FileSignature UserDefaults::FileSignature::of(const struct stat& st) {
  return FileSignature{st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim};
}

bool UserDefaults::FileSignature::operator==(const FileSignature& other) const {
  return device == other.device && inode == other.inode && size == other.size &&
         modified.tv_sec == other.modified.tv_sec && modified.tv_nsec == other.modified.tv_nsec &&
         changed.tv_sec == other.changed.tv_sec && changed.tv_nsec == other.changed.tv_nsec;
}

std::string UserDefaults::preferencesDirectory() {
  const auto bundle = Bundle::main();
  auto name = bundle->infoString("CFBundleName").value_or(kDefaultBundleName);
  if (!isSafeFileName(name)) name = kDefaultBundleName;
  return configHome() + "/" + name + "/Preferences";
}

std::shared_ptr<UserDefaults> UserDefaults::standard() {
  auto identifier = Bundle::main()->identifier().value_or(kDefaultIdentifier);
  if (!isSafeFileName(identifier)) identifier = kDefaultIdentifier;
  return shared(preferencesDirectory() + "/" + identifier + ".plist", identifier);
}

std::shared_ptr<UserDefaults> UserDefaults::global() {
  return shared(preferencesDirectory() + "/" + kGlobalDefaultsDomain + ".plist",
                kGlobalDefaultsDomain);
}

std::shared_ptr<UserDefaults> UserDefaults::shared(const std::string& path,
                                                   const std::string& domain) {
  auto& state = registry();
  std::lock_guard lock(state.mutex);
  auto& store = state.stores[path];
  if (!store) {
    // Changes still waiting for the save timer are written when the process exits normally.
    static const bool flushAtExit = std::atexit(&UserDefaults::flushSharedStores) == 0;
    (void)flushAtExit;
    store = std::make_shared<UserDefaults>(path, domain);
  }
  return store;
}

std::shared_ptr<UserDefaults> UserDefaults::open(std::string path, std::string domain) {
  return std::make_shared<UserDefaults>(std::move(path), std::move(domain));
}

UserDefaults::UserDefaults(std::string path, std::string domain)
    : path_(std::move(path)), domain_(std::move(domain)) {}

UserDefaults::~UserDefaults() {
  Log log;
  {
    std::lock_guard lock(mutex_);
    if (!pending_.empty()) flushLocked(log);
  }
  emit(log);
}

void UserDefaults::setLogHandler(DefaultsLogHandler handler) {
  auto& state = registry();
  std::lock_guard lock(state.mutex);
  state.handler = std::move(handler);
}

void UserDefaults::emit(Log& log) {
  if (log.empty()) return;
  DefaultsLogHandler handler;
  {
    auto& state = registry();
    std::lock_guard lock(state.mutex);
    handler = state.handler;
  }
  for (const auto& line : log) {
    if (handler) {
      handler(line.level, line.text);
    } else {
      std::fprintf(stderr, "UserDefaults [%s] %s\n", levelName(line.level), line.text.c_str());
    }
  }
  log.clear();
}

void UserDefaults::flushSharedStores() {
  std::vector<std::shared_ptr<UserDefaults>> stores;
  {
    auto& state = registry();
    std::lock_guard lock(state.mutex);
    for (const auto& [path, store] : state.stores) stores.push_back(store);
  }
  for (const auto& store : stores) {
    Log log;
    {
      std::lock_guard lock(store->mutex_);
      if (!store->pending_.empty()) store->flushLocked(log);
    }
    emit(log);
  }
}

void UserDefaults::applyPendingLocked() {
  for (const auto& [key, value] : pending_) {
    if (value) {
      values_.insert_or_assign(key, *value);
    } else {
      values_.erase(key);
    }
  }
}

void UserDefaults::refreshLocked(Log& log, bool lockHeld) {
  struct stat st {};
  auto cannotRead = [&](int error) {
    if (error == ENOENT || error == ENOTDIR) {
      if (diskState_ != DiskState::Missing) {
        values_.clear();
        applyPendingLocked();
        diskState_ = DiskState::Missing;
        loaded_.reset();
      }
      return;
    }
    if (diskState_ != DiskState::Unreadable) {
      log.push_back({DefaultsLogLevel::Error, "The defaults file " + path_ + " cannot be read (" +
                                                  errorText(error) +
                                                  "); it will not be written over."});
    }
    diskState_ = DiskState::Unreadable;
    loaded_.reset();
  };
  if (::stat(path_.c_str(), &st) != 0) return cannotRead(errno);
  if (loaded_ && diskState_ != DiskState::Unknown && *loaded_ == FileSignature::of(st)) {
    return;
  }

  FileDescriptor fd(::open(path_.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (!fd) return cannotRead(errno);
  if (::fstat(fd.get(), &st) != 0) return cannotRead(errno);
  const auto signature = FileSignature::of(st);
  if (!S_ISREG(st.st_mode)) return cannotRead(EINVAL);
  std::string bytes;
  if (st.st_size <= kMaxFileSize) {
    bytes.resize(static_cast<std::size_t>(st.st_size));
    std::size_t got = 0;
    while (got < bytes.size()) {
      const ssize_t n = ::read(fd.get(), bytes.data() + got, bytes.size() - got);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return cannotRead(errno);
      if (n == 0) break;
      got += static_cast<std::size_t>(n);
    }
    bytes.resize(got);
  }
  fd.reset();
  loadLocked(bytes, signature, log, lockHeld);
}

void UserDefaults::loadLocked(const std::string& bytes, const FileSignature& signature, Log& log,
                              bool lockHeld) {
  auto parsed = bytes.empty() ? std::nullopt : parsePlistValue(bytes, &format_);
  if (parsed && parsed->asDictionary()) {
    values_ = std::move(*parsed->asDictionary());
    applyPendingLocked();
    diskState_ = DiskState::Loaded;
    loaded_ = signature;
    return;
  }
  // Whatever it holds is the user's: it goes aside, never under a new write.
  values_.clear();
  applyPendingLocked();
  if (setAsideLocked(signature, log, lockHeld)) {
    diskState_ = DiskState::Missing;
    loaded_.reset();
  } else {
    diskState_ = DiskState::Unreadable;
    loaded_ = signature;
  }
}

bool UserDefaults::setAsideLocked(const FileSignature& signature, Log& log, bool lockHeld) {
  std::optional<DomainLock> lock;
  if (!lockHeld) lock.emplace(path_);
  struct stat st {};
  if (::stat(path_.c_str(), &st) != 0) return errno == ENOENT;
  if (!(FileSignature::of(st) == signature)) {
    // Replaced since it was read: nothing to keep aside, the next read looks at the new file.
    return true;
  }
  for (int attempt = 1; attempt <= 1000; ++attempt) {
    const std::string target =
        path_ + (attempt == 1 ? ".corrupt" : ".corrupt-" + std::to_string(attempt));
    int result = ::renameat2(AT_FDCWD, path_.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE);
    if (result != 0 && (errno == EINVAL || errno == ENOSYS)) {
      // File systems without no-replace renames: link refuses an existing name as well.
      result = ::link(path_.c_str(), target.c_str());
      if (result == 0) ::unlink(path_.c_str());
    }
    if (result == 0) {
      log.push_back({DefaultsLogLevel::Error,
                     "The defaults file " + path_ +
                         " is not a readable property-list dictionary; it was kept aside as " +
                         target + " and the domain " + domain_ + " starts empty."});
      return true;
    }
    if (errno != EEXIST) break;
  }
  log.push_back({DefaultsLogLevel::Error,
                 "The defaults file " + path_ +
                     " is not a readable property-list dictionary and could not be kept aside (" +
                     errorText(errno) + "); it will not be written over."});
  return false;
}

bool UserDefaults::flushLocked(Log& log) {
  if (pending_.empty()) {
    refreshLocked(log, false);
    return true;
  }
  const std::string folder = parentOf(path_);
  if (!makePrivateDirectories(folder)) {
    log.push_back({DefaultsLogLevel::Error, "Cannot create the defaults folder " + folder + " (" +
                                                errorText(errno) + "); changes stay pending."});
    return false;
  }
  DomainLock lock(path_);
  if (!lock.held()) {
    log.push_back({DefaultsLogLevel::Warning,
                   "Writing " + path_ + " without its lock (held elsewhere, or no lock file)."});
  }
  refreshLocked(log, true);
  if (diskState_ == DiskState::Unreadable) {
    log.push_back({DefaultsLogLevel::Error, "Changes to the domain " + domain_ +
                                                " are not written: " + path_ +
                                                " cannot be read, so it is not written over."});
    return false;
  }
  std::string error = writeAtomically(path_, writePlistValue(PlistValue(values_), format_));
  if (!error.empty()) {
    log.push_back(
        {DefaultsLogLevel::Error, "Cannot write the defaults file " + path_ + ": " + error + "."});
    return false;
  }
  pending_.clear();
  struct stat st {};
  if (::stat(path_.c_str(), &st) == 0) {
    loaded_ = FileSignature::of(st);
    diskState_ = DiskState::Loaded;
  } else {
    diskState_ = DiskState::Unknown;
  }
  return true;
}

std::optional<PlistValue> UserDefaults::value(const std::string& key) {
  Log log;
  std::optional<PlistValue> result;
  {
    std::lock_guard lock(mutex_);
    refreshLocked(log, false);
    if (auto it = values_.find(key); it != values_.end()) result = it->second;
  }
  emit(log);
  return result;
}

std::optional<bool> UserDefaults::boolValue(const std::string& key) {
  auto number = realValue(key);
  if (!number) return std::nullopt;
  return *number != 0;
}

std::optional<std::int64_t> UserDefaults::integerValue(const std::string& key) {
  auto stored = value(key);
  if (!stored) return std::nullopt;
  if (auto integer = stored->asInteger()) return integer;
  auto number = stored->numberValue();
  if (!number) return std::nullopt;
  if (std::isnan(*number)) return 0;
  // Saturate instead of the undefined out-of-range cast.
  constexpr double kLimit = 9223372036854775807.0;
  if (*number >= kLimit) return std::numeric_limits<std::int64_t>::max();
  if (*number <= -kLimit) return std::numeric_limits<std::int64_t>::min();
  return static_cast<std::int64_t>(*number);
}

std::optional<double> UserDefaults::realValue(const std::string& key) {
  auto stored = value(key);
  if (!stored) return std::nullopt;
  return stored->numberValue();
}

std::optional<std::string> UserDefaults::stringValue(const std::string& key) {
  auto stored = value(key);
  if (!stored || !stored->asString()) return std::nullopt;
  return *stored->asString();
}

std::optional<PlistData> UserDefaults::dataValue(const std::string& key) {
  auto stored = value(key);
  if (!stored || !stored->asData()) return std::nullopt;
  return *stored->asData();
}

std::optional<PlistArray> UserDefaults::arrayValue(const std::string& key) {
  auto stored = value(key);
  if (!stored || !stored->asArray()) return std::nullopt;
  return *stored->asArray();
}

std::optional<PlistDictionary> UserDefaults::dictionaryValue(const std::string& key) {
  auto stored = value(key);
  if (!stored || !stored->asDictionary()) return std::nullopt;
  return *stored->asDictionary();
}

PlistDictionary UserDefaults::dictionaryRepresentation() {
  Log log;
  PlistDictionary result;
  {
    std::lock_guard lock(mutex_);
    refreshLocked(log, false);
    result = values_;
  }
  emit(log);
  return result;
}

void UserDefaults::set(const std::string& key, PlistValue value) {
  changed(key, std::move(value));
}

void UserDefaults::remove(const std::string& key) {
  changed(key, std::nullopt);
}

void UserDefaults::changed(const std::string& key, std::optional<PlistValue> value) {
  bool schedule = false;
  {
    std::lock_guard lock(mutex_);
    if (value) {
      values_.insert_or_assign(key, *value);
    } else {
      values_.erase(key);
    }
    pending_.insert_or_assign(key, std::move(value));
    schedule = !saveScheduled_;
    saveScheduled_ = true;
  }
  // Outside the lock: scheduling may run due timers of others at once.
  if (schedule) {
    MainQueue::shared().after(kSaveDelay, [weak = weak_from_this()] {
      if (auto self = weak.lock()) self->saveTimerFired();
    });
  }
  NotificationCenter::defaultCenter().post(kUserDefaultsDidChangeNotification, this,
                                           {{"domain", domain_}, {"key", key}});
}

void UserDefaults::saveTimerFired() {
  Log log;
  {
    std::lock_guard lock(mutex_);
    saveScheduled_ = false;
    if (!pending_.empty()) flushLocked(log);
  }
  emit(log);
}

bool UserDefaults::synchronize() {
  Log log;
  bool ok = false;
  {
    std::lock_guard lock(mutex_);
    ok = flushLocked(log);
  }
  emit(log);
  return ok;
}

bool UserDefaults::hasPendingChanges() const {
  std::lock_guard lock(mutex_);
  return !pending_.empty();
}

}  // namespace velquarin::platform
