#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstdint>
#include <ctime>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "plist/PlistValue.h"

namespace velquarin::platform {

// Posted on NotificationCenter::defaultCenter() after every set or remove made through a
// store, on the thread that made it. Object: the store (an identity); userInfo:
// {"domain": the store's domain, "key": the key}.
inline constexpr const char* kUserDefaultsDidChangeNotification =
    "UserDefaultsDidChangeNotification";

// The domain every application reads beside its own (system-wide typing settings and such).
inline constexpr const char* kGlobalDefaultsDomain = ".GlobalPreferences";

enum class DefaultsLogLevel { Error, Warning, Info };
using DefaultsLogHandler = std::function<void(DefaultsLogLevel, const std::string&)>;

// One defaults domain: a property-list dictionary kept in a file.
//
// - Reads notice when the file changed on disk (another process, a user editing it) and
//   read it again; changes made here and not yet written are kept on top of it, key by key.
// - Changes are written by the store itself at most kSaveDelay seconds after they are made
//   (a main-queue timer that does not keep the host alive), at once by synchronize(), and
//   at normal process exit for the shared stores.
// - Writes replace the file atomically: a temporary file in the same folder, fsync, rename,
//   fsync of the folder, under an advisory lock (the file's name + ".lock") so that two
//   processes merge rather than overwrite each other's keys.
// - A file that cannot be parsed is renamed aside (".corrupt", ".corrupt-2" ...), logged,
//   and the domain starts empty. A file that cannot be read at all is never overwritten.
//
// Every method may be called from any thread; observers of the change notification and the
// log handler run outside the store's lock and may call back into it.
class UserDefaults : public std::enable_shared_from_this<UserDefaults> {
 public:
  static constexpr double kSaveDelay = 1.0;

  // The application's domain, named by the main bundle's identifier:
  // preferencesDirectory()/<identifier>.plist.
  static std::shared_ptr<UserDefaults> standard();
  // The global domain: preferencesDirectory()/.GlobalPreferences.plist.
  static std::shared_ptr<UserDefaults> global();
  // The folder of the domains: $XDG_CONFIG_HOME (else $HOME/.config)/<bundle name>/Preferences,
  // the application support directory's Preferences folder.
  static std::string preferencesDirectory();
  // A store on a file of the caller's choosing. Stores returned by standard() and global()
  // are shared and flushed at exit; this one is flushed when its last owner lets it go.
  static std::shared_ptr<UserDefaults> open(std::string path, std::string domain);

  // Where every store reports what went wrong (stderr until a handler is set).
  static void setLogHandler(DefaultsLogHandler handler);

  ~UserDefaults();
  UserDefaults(const UserDefaults&) = delete;
  UserDefaults& operator=(const UserDefaults&) = delete;

  const std::string& domain() const { return domain_; }
  const std::string& path() const { return path_; }

  // The value of `key`, nullopt when absent.
  std::optional<PlistValue> value(const std::string& key);
  // Typed reads: nullopt when absent or of another kind. Numbers read across their kinds:
  // a boolean as 0 or 1, a real cut towards zero for integerValue, a number as true when
  // it is not zero for boolValue.
  std::optional<bool> boolValue(const std::string& key);
  std::optional<std::int64_t> integerValue(const std::string& key);
  std::optional<double> realValue(const std::string& key);
  std::optional<std::string> stringValue(const std::string& key);
  std::optional<PlistData> dataValue(const std::string& key);
  std::optional<PlistArray> arrayValue(const std::string& key);
  std::optional<PlistDictionary> dictionaryValue(const std::string& key);
  // Every key and value of the domain.
  PlistDictionary dictionaryRepresentation();

  void set(const std::string& key, PlistValue value);
  void remove(const std::string& key);

  // Writes pending changes now and picks up changes made on disk; false when pending
  // changes could not be written (they stay pending).
  bool synchronize();
  bool hasPendingChanges() const;

  // Shared stores: writes what is pending. Run at normal exit; callable any time.
  static void flushSharedStores();

  UserDefaults(std::string path, std::string domain);

 private:
  struct FileSignature {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    timespec changed{};
    static FileSignature of(const struct stat& st);
    bool operator==(const FileSignature& other) const;
  };
  enum class DiskState { Unknown, Missing, Loaded, Unreadable };
  struct LogLine {
    DefaultsLogLevel level;
    std::string text;
  };
  using Log = std::vector<LogLine>;

  static std::shared_ptr<UserDefaults> shared(const std::string& path, const std::string& domain);
  static void emit(Log& log);

  void refreshLocked(Log& log, bool lockHeld);
  void loadLocked(const std::string& bytes, const FileSignature& signature, Log& log,
                  bool lockHeld);
  bool setAsideLocked(const FileSignature& signature, Log& log, bool lockHeld);
  bool flushLocked(Log& log);
  void applyPendingLocked();
  void changed(const std::string& key, std::optional<PlistValue> value);
  void saveTimerFired();

  const std::string path_;
  const std::string domain_;
  mutable std::mutex mutex_;
  PlistDictionary values_;  // the file's dictionary with the pending changes on top
  std::map<std::string, std::optional<PlistValue>> pending_;  // nullopt: removed
  DiskState diskState_ = DiskState::Unknown;
  // The form of the file as read, kept when it is written again.
  PlistFormat format_ = PlistFormat::Xml;
  std::optional<FileSignature> loaded_;  // the file the values came from
  bool saveScheduled_ = false;
};

}  // namespace velquarin::platform
