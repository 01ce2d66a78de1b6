#include "loginitems/LoginItems.h"
#include "files/Directories.h"
#include "files/FileDescriptor.h"

#include <dirent.h>
#include <fcntl.h>
#include <glib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>

namespace velquarin::platform {
namespace {

constexpr const char* kGroup = "Desktop Entry";
// Desktop entries are a few hundred bytes; anything far larger is not one of them.
constexpr off_t kMaxEntrySize = 64 * 1024;

struct KeyFileDeleter {
  void operator()(GKeyFile* file) const { g_key_file_unref(file); }
};
using KeyFilePtr = std::unique_ptr<GKeyFile, KeyFileDeleter>;
struct GFreeDeleter {
  void operator()(void* memory) const { g_free(memory); }
};
using GCharPtr = std::unique_ptr<char, GFreeDeleter>;

std::string errorText(int error) {
  return std::strerror(error);
}

bool isUtf8(const std::string& text) {
  return g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr);
}

std::optional<std::string> readSmallFile(const std::string& path, off_t maxSize) {
  FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (!fd) return std::nullopt;
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > maxSize) {
    return std::nullopt;
  }
  std::string bytes(static_cast<std::size_t>(st.st_size), '\0');
  std::size_t got = 0;
  while (got < bytes.size()) {
    const ssize_t n = ::read(fd.get(), bytes.data() + got, bytes.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return std::nullopt;
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  bytes.resize(got);
  return bytes;
}

std::optional<std::string> keyValue(GKeyFile* file, const char* key) {
  GError* error = nullptr;
  GCharPtr value(g_key_file_get_string(file, kGroup, key, &error));
  if (error) g_error_free(error);
  if (!value) return std::nullopt;
  return std::string(value.get());
}

// A boolean key; `fallback` when it is missing or not a boolean.
bool keyBoolean(GKeyFile* file, const char* key, bool fallback) {
  GError* error = nullptr;
  const gboolean value = g_key_file_get_boolean(file, kGroup, key, &error);
  if (error) {
    g_error_free(error);
    return fallback;
  }
  return value;
}

// Whether the session starts the entry: the user can switch it off without removing it.
bool startsAtLogin(GKeyFile* file) {
  return !keyBoolean(file, "Hidden", false) && keyBoolean(file, "X-GNOME-Autostart-enabled", true);
}

std::string safeFileStem(const std::string& stem) {
  std::string result;
  for (char c : stem) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       c == '.' || c == '-' || c == '_';
    result += plain ? c : '_';
  }
  while (!result.empty() && result.front() == '.') result.erase(0, 1);
  if (result.empty() || result.size() > 100) result = "login-item";
  return result;
}

// Gives `temporary` the first free name of stem.desktop, stem-2.desktop ... without ever
// replacing a file that is there.
std::string linkUnderFreeName(const std::string& temporary, const std::string& folder,
                              const std::string& stem) {
  for (int attempt = 1; attempt <= 100; ++attempt) {
    const std::string target =
        folder + "/" + stem + (attempt == 1 ? "" : "-" + std::to_string(attempt)) + ".desktop";
    int result =
        ::renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE);
    if (result != 0 && (errno == EINVAL || errno == ENOSYS)) {
      result = ::link(temporary.c_str(), target.c_str());
      if (result == 0) ::unlink(temporary.c_str());
    }
    if (result == 0) return {};
    if (errno != EEXIST) return "cannot name " + target + ": " + errorText(errno);
  }
  return "no free file name for " + stem + ".desktop in " + folder;
}

}  // namespace

std::optional<std::string> LoginItems::sessionFolder() {
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/') {
    return std::string(xdg) + "/autostart";
  }
  if (const char* home = std::getenv("HOME"); home && *home == '/') {
    return std::string(home) + "/.config/autostart";
  }
  return std::nullopt;
}

std::optional<LoginItems> LoginItems::openSessionList() {
  auto folder = sessionFolder();
  if (!folder) return std::nullopt;
  DIR* dir = ::opendir(folder->c_str());
  if (dir) {
    ::closedir(dir);
  } else if (errno != ENOENT) {
    return std::nullopt;
  }
  return LoginItems(*folder);
}

std::vector<LoginItem> LoginItems::snapshot() const {
  struct Found {
    LoginItem item;
    timespec modified;
    std::string name;
  };
  std::vector<Found> found;
  std::error_code error;
  for (std::filesystem::directory_iterator it(folder_, error), end; !error && it != end;
       it.increment(error)) {
    const std::string name = it->path().filename().string();
    if (name.empty() || name.front() == '.' || !name.ends_with(".desktop")) continue;
    const std::string file = it->path().string();
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0) continue;
    auto bytes = readSmallFile(file, kMaxEntrySize);
    if (!bytes) continue;
    KeyFilePtr keys(g_key_file_new());
    GError* parseError = nullptr;
    if (!g_key_file_load_from_data(keys.get(), bytes->data(), bytes->size(), G_KEY_FILE_NONE,
                                   &parseError)) {
      if (parseError) g_error_free(parseError);
      continue;
    }
    if (!g_key_file_has_group(keys.get(), kGroup)) continue;
    LoginItem item{file, keyValue(keys.get(), "Name"), std::nullopt, startsAtLogin(keys.get())};
    if (auto location = keyValue(keys.get(), kLoginItemBundleKey); location && !location->empty()) {
      auto canonical = std::filesystem::canonical(*location, error);
      if (!error) item.location = canonical.string();
      error.clear();
    }
    found.push_back(Found{std::move(item), st.st_mtim, name});
  }
  std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
    if (a.modified.tv_sec != b.modified.tv_sec) return a.modified.tv_sec > b.modified.tv_sec;
    if (a.modified.tv_nsec != b.modified.tv_nsec) return a.modified.tv_nsec > b.modified.tv_nsec;
    return a.name < b.name;
  });
  std::vector<LoginItem> items;
  items.reserve(found.size());
  for (auto& entry : found) items.push_back(std::move(entry.item));
  return items;
}

std::string LoginItems::quoteExecArgument(const std::string& argument) {
  std::string quoted = "\"";
  for (char c : argument) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
    if (c == '%') quoted += '%';  // a literal percent sign, not a field code
    quoted += c;
  }
  quoted += '"';
  return quoted;
}

std::string LoginItems::insertFirst(const LoginItemEntry& entry) const {
  if (entry.command.empty() || entry.command.front().empty()) return "no program to start";
  std::string exec;
  for (const auto& argument : entry.command) {
    if (!isUtf8(argument)) return "the program or an argument is not UTF-8 text";
    if (!exec.empty()) exec += ' ';
    exec += quoteExecArgument(argument);
  }
  if (!isUtf8(entry.location) || !isUtf8(entry.name) || !isUtf8(entry.workingDirectory)) {
    return "the bundle location, name or working folder is not UTF-8 text";
  }

  KeyFilePtr keys(g_key_file_new());
  g_key_file_set_string(keys.get(), kGroup, "Type", "Application");
  g_key_file_set_string(keys.get(), kGroup, "Version", "1.0");
  g_key_file_set_string(keys.get(), kGroup, "Name", entry.name.c_str());
  g_key_file_set_string(keys.get(), kGroup, "Exec", exec.c_str());
  if (!entry.workingDirectory.empty()) {
    g_key_file_set_string(keys.get(), kGroup, "Path", entry.workingDirectory.c_str());
  }
  g_key_file_set_string(keys.get(), kGroup, kLoginItemBundleKey, entry.location.c_str());
  gsize length = 0;
  GCharPtr data(g_key_file_to_data(keys.get(), &length, nullptr));
  if (!data) return "cannot write the desktop entry";

  if (!makePrivateDirectories(folder_)) return "cannot create " + folder_ + ": " + errorText(errno);
  std::string temporary = folder_ + "/.login-item.XXXXXX";
  FileDescriptor fd(::mkostemp(temporary.data(), O_CLOEXEC));
  if (!fd) return "cannot create a file in " + folder_ + ": " + errorText(errno);
  std::size_t written = 0;
  while (written < length) {
    const ssize_t n = ::write(fd.get(), data.get() + written, length - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    written += static_cast<std::size_t>(n);
  }
  const bool complete =
      written == length && ::fchmod(fd.get(), 0644) == 0 && ::fsync(fd.get()) == 0;
  const int writeError = errno;
  if (!fd.reset() || !complete) {
    ::unlink(temporary.c_str());
    return "cannot write " + temporary + ": " + errorText(complete ? errno : writeError);
  }
  std::string error = linkUnderFreeName(temporary, folder_, safeFileStem(entry.fileStem));
  if (!error.empty()) {
    ::unlink(temporary.c_str());
    return error;
  }
  FileDescriptor dir(::open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir) ::fsync(dir.get());
  return {};
}

std::string LoginItems::remove(const LoginItem& item) const {
  // Only entries of this folder are items; nothing else is ever deleted through one.
  const std::filesystem::path file(item.file);
  if (file.parent_path() != std::filesystem::path(folder_) ||
      !file.filename().string().ends_with(".desktop")) {
    return item.file + " is not an item of " + folder_;
  }
  if (::unlink(item.file.c_str()) != 0 && errno != ENOENT) {
    return "cannot remove " + item.file + ": " + errorText(errno);
  }
  return {};
}

}  // namespace velquarin::platform
