#include "Extensions/NSApplication+ZqExtensions.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <system_error>
#include <vector>

#include "Utilities/ZqLog.h"
#include "alerts/Alerts.h"
#include "bundle/Bundle.h"
#include "relaunch/Relaunch.h"
#include "systemversion/SystemVersion.h"
#include "termination/Termination.h"

namespace fs = std::filesystem;
using velquarin::platform::Bundle;

namespace {

constexpr const char* kFallbackBundleName = "Velquarin";
constexpr const char* kFallbackBundleIdentifier = "io.velquarin.desktop";

std::optional<std::string> absoluteEnvironment(const char* name) {
  const char* value = std::getenv(name);
  if (value && *value == '/') return std::string(value);
  return std::nullopt;
}

// A name from the bundle used as one folder name; one that could climb out is replaced.
std::string pathComponent(const std::optional<std::string>& name, const char* fallback) {
  if (!name || name->empty() || *name == "." || *name == ".." ||
      name->find('/') != std::string::npos) {
    if (name) ZQ_LOG_WARN("Unusable folder name '%@', using '%@'", *name, fallback);
    return fallback;
  }
  return *name;
}

std::string bundleIdentifierComponent() {
  return pathComponent(Bundle::main()->identifier(), kFallbackBundleIdentifier);
}

// A folder the application cannot do without could not be made: tell the user and stop.
void failDirectory(const std::string& path, const std::string& reason) {
  ZQ_LOG_ERROR("Could not create directory '%@'. (%@)", path, reason);
  velquarin::platform::Alerts::presentError("Could not create directory '" + path + "'.", reason);
  velquarin::platform::Termination::terminate(EXIT_FAILURE);
}

std::string processTemporaryBase() {
  return absoluteEnvironment("TMPDIR").value_or("/tmp");
}

// Whether nothing at all is at `path`, not even a dangling symbolic link.
bool nothingAt(const std::string& path) {
  struct stat info {};
  return lstat(path.c_str(), &info) != 0 && (errno == ENOENT || errno == ENOTDIR);
}

// Creates `path` with its parents; an existing folder is fine. Returns why it failed:
// empty when it did not.
std::string createDirectories(const std::string& path) {
  std::error_code error;
  fs::create_directories(path, error);
  return error ? error.message() : std::string();
}

// The path, or the reason it is unusable: a lookup that may not end the process.
struct DirectoryLookup {
  std::string path;
  std::string problem;
};

// Answers the path of a lookup; a folder that could not be made is fatal.
std::string requireDirectory(const DirectoryLookup& lookup) {
  if (!lookup.problem.empty()) failDirectory(lookup.path, lookup.problem);
  return lookup.path;
}

DirectoryLookup applicationSupportLookup() {
  std::string base;
  if (auto config = absoluteEnvironment("XDG_CONFIG_HOME")) {
    base = *config;
  } else if (auto home = zq_homeDirectory()) {
    base = *home + "/.config";
  } else {
    base = processTemporaryBase();
  }
  DirectoryLookup lookup{base + "/" + pathComponent(zq_bundleName(), kFallbackBundleName), {}};
  if (nothingAt(lookup.path)) lookup.problem = createDirectories(lookup.path);
  return lookup;
}

// Nothing when the user has no home to hold the caches.
std::optional<DirectoryLookup> cachesLookup() {
  std::string base;
  if (auto cache = absoluteEnvironment("XDG_CACHE_HOME")) {
    base = *cache;
  } else if (auto home = zq_homeDirectory()) {
    base = *home + "/.cache";
  } else {
    ZQ_LOG_ERROR("No Library/Caches directory found.");
    return std::nullopt;
  }
  DirectoryLookup lookup{base + "/" + bundleIdentifierComponent(), {}};
  lookup.problem = createDirectories(lookup.path);
  return lookup;
}

std::optional<std::string> pathOrReason(const DirectoryLookup& lookup, std::string& problem) {
  problem = lookup.problem;
  if (!problem.empty()) return std::nullopt;
  return lookup.path;
}

// Makes `path` a folder only we can enter: created 0700 when missing, an own folder with
// looser rights tightened. Returns why it cannot be used: empty when it can.
std::string makePrivateDirectory(const std::string& path) {
  if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return std::strerror(errno);
  struct stat info {};
  if (lstat(path.c_str(), &info) != 0) return std::strerror(errno);
  if (S_ISLNK(info.st_mode)) return "it is a symbolic link";
  if (!S_ISDIR(info.st_mode)) return "it is not a folder";
  if (info.st_uid != geteuid()) return "it belongs to another user";
  if ((info.st_mode & 077) != 0 && chmod(path.c_str(), 0700) != 0) return std::strerror(errno);
  return {};
}

struct TemporaryFallback {
  std::mutex mutex;
  std::string path;
};

TemporaryFallback& temporaryFallback() {
  static TemporaryFallback* fallback = new TemporaryFallback();
  return *fallback;
}

// The per-user folder under the temporary base; a fresh unique one when the expected one is
// not safe (in a shared /tmp anybody can create that name first).
std::optional<std::string> perUserTemporaryFolder(const std::string& base) {
  const std::string name = "velquarin-" + std::to_string(geteuid());
  const std::string expected = base + "/" + name;
  const std::string problem = makePrivateDirectory(expected);
  if (problem.empty()) return expected;

  auto& fallback = temporaryFallback();
  std::lock_guard lock(fallback.mutex);
  if (!fallback.path.empty() && fs::path(fallback.path).parent_path() == base &&
      makePrivateDirectory(fallback.path).empty()) {
    return fallback.path;
  }
  std::string pattern = base + "/" + name + "-XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (!mkdtemp(buffer.data())) {
    failDirectory(expected, problem + "; no unique folder either: " + std::strerror(errno));
    return std::nullopt;
  }
  fallback.path = buffer.data();
  ZQ_LOG_WARN("Temporary folder '%@' refused (%@); using '%@' instead", expected, problem,
              fallback.path);
  return fallback.path;
}

// The leading decimal digits of `text` as a number; 0 without any.
long leadingInteger(std::string_view text) {
  long value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

}  // namespace

std::string zq_osVersion() {
  return velquarin::platform::SystemVersion::current();
}

bool zq_isMojaveOrBetter(const std::string& version) {
  const auto dot = version.find('.');
  if (dot == std::string::npos) return false;
  const std::string_view rest = std::string_view(version).substr(dot + 1);
  const long major = leadingInteger(std::string_view(version).substr(0, dot));
  const long minor = leadingInteger(rest.substr(0, rest.find('.')));
  return major > 10 || (major == 10 && minor >= 14);
}

bool zq_isMojaveOrBetter() {
  return zq_isMojaveOrBetter(zq_osVersion());
}

std::optional<std::string> zq_bundleName() {
  return Bundle::main()->infoString("CFBundleName");
}

std::optional<std::string> zq_bundleVersion() {
  return Bundle::main()->infoString("CFBundleVersion");
}

std::optional<std::string> zq_homeDirectory() {
  if (auto home = absoluteEnvironment("HOME")) return home;
  long size = sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
  struct passwd entry {};
  struct passwd* found = nullptr;
  if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
      found->pw_dir && *found->pw_dir == '/') {
    return std::string(found->pw_dir);
  }
  return std::nullopt;
}

std::string zq_applicationSupportDirectory() {
  return requireDirectory(applicationSupportLookup());
}

std::optional<std::string> zq_findApplicationSupportDirectory(std::string& problem) {
  return pathOrReason(applicationSupportLookup(), problem);
}

std::string zq_localStorageDatabaseDirectory() {
  return zq_applicationSupportDirectory() + "/localStorageDatabase";
}

std::string zq_temporaryDirectory() {
  const std::string base = processTemporaryBase();
  const std::string identifier = bundleIdentifierComponent();
  std::error_code error;
  fs::create_directories(base, error);
  if (error) {
    failDirectory(base, error.message());
    return base + "/" + identifier;
  }
  const auto folder = perUserTemporaryFolder(base);
  if (!folder) return base + "/" + identifier;
  const std::string path = *folder + "/" + identifier;
  // Inside our own 0700 folder nobody else can have put anything.
  if (const std::string problem = makePrivateDirectory(path); !problem.empty()) {
    failDirectory(path, problem);
  }
  return path;
}

std::optional<std::string> zq_cachesDirectory() {
  const auto lookup = cachesLookup();
  if (!lookup) return std::nullopt;
  return requireDirectory(*lookup);
}

std::optional<std::string> zq_findCachesDirectory(std::string& problem) {
  const auto lookup = cachesLookup();
  if (!lookup) {
    problem = "there is no home folder for caches";
    return std::nullopt;
  }
  return pathOrReason(*lookup, problem);
}

std::optional<std::string> zq_createUniquePathWithPrefix(const std::string& prefix,
                                                         const std::string& extension) {
  // Callers pass names that may come from the host: they must stay inside the folder.
  if (prefix.find('/') != std::string::npos || extension.find('/') != std::string::npos ||
      prefix.find('\0') != std::string::npos || extension.find('\0') != std::string::npos) {
    ZQ_LOG_ERROR("Refusing a temporary file name outside the temporary folder: '%@' '%@'", prefix,
                 extension);
    return std::nullopt;
  }
  const std::string folder = zq_temporaryDirectory();
  for (int attempt = 0; attempt < 1000; ++attempt) {
    const std::string name = attempt == 0
                                 ? prefix + "." + extension
                                 : prefix + "_" + std::to_string(attempt) + "." + extension;
    const std::string path = folder + "/" + name;
    if (nothingAt(path)) return path;
  }
  return std::nullopt;
}

void zq_removeLocalStorageDatabase() {
  const std::string path = zq_localStorageDatabaseDirectory();
  std::error_code error;
  if (nothingAt(path)) {
    error = std::make_error_code(std::errc::no_such_file_or_directory);
  } else {
    fs::remove_all(path, error);
  }
  if (error) {
    ZQ_LOG_ERROR("Couldn't remove '%@' because of '%@'.", path, error.message());
  } else {
    ZQ_LOG_INFO("Removed %@.", path);
  }
}

bool zq_relaunch() {
  const auto command = velquarin::platform::currentProcessCommand();
  if (!command) {
    ZQ_LOG_ERROR("Couldn't relaunch: the running program is unknown");
    return false;
  }
  std::string error;
  if (!velquarin::platform::relaunchAfterExit(*command, error)) {
    ZQ_LOG_ERROR("Couldn't relaunch because of '%@'", error);
    return false;
  }
  velquarin::platform::Termination::terminate(EXIT_SUCCESS);
  return true;
}
