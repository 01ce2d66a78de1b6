#pragma once

#include <optional>
#include <string>

// Facts about the running application and its folders, for the whole process. Callable from
// any thread; nothing is cached except a fallback temporary folder (see below).

// The system version string and whether it is at least 10.14 by the dotted-version rule.
std::string zq_osVersion();
bool zq_isMojaveOrBetter(const std::string& version);
bool zq_isMojaveOrBetter();

// The main bundle's name (CFBundleName) and version (CFBundleVersion).
std::optional<std::string> zq_bundleName();
std::optional<std::string> zq_bundleVersion();

// The user's home directory: $HOME, else the user database's entry; nothing without either.
std::optional<std::string> zq_homeDirectory();

// $XDG_CONFIG_HOME (default ~/.config) followed by the bundle name; created when missing.
// A folder that cannot be created is fatal: logged, presented and the application terminates.
std::string zq_applicationSupportDirectory();
// The same folder for callers that must go on without it (the log file): nothing, with the
// reason in `problem`, when it cannot be made.
std::optional<std::string> zq_findApplicationSupportDirectory(std::string& problem);
// The application support directory followed by "localStorageDatabase".
std::string zq_localStorageDatabaseDirectory();
// A per-user 0700 folder under $TMPDIR (default /tmp) followed by the bundle identifier;
// created. A per-user folder that is someone else's, a symbolic link or not a folder is
// refused: a fresh unique folder replaces it for the rest of the process, with a warning.
std::string zq_temporaryDirectory();
// $XDG_CACHE_HOME (default ~/.cache) followed by the bundle identifier; created. Nothing
// when the user has no home to hold it.
std::optional<std::string> zq_cachesDirectory();
// The same folder for callers that must go on without it (crash reports): nothing, with the
// reason in `problem`, when there is none or it cannot be made.
std::optional<std::string> zq_findCachesDirectory(std::string& problem);
// The first free path "prefix.extension", "prefix_1.extension" ... "prefix_999.extension" in
// the temporary directory; nullopt after 1000 attempts, and for a prefix or extension that
// would leave the folder (holds a '/').
std::optional<std::string> zq_createUniquePathWithPrefix(const std::string& prefix,
                                                         const std::string& extension);
void zq_removeLocalStorageDatabase();
// Starts the host again, with the same executable and arguments, once this process has
// exited, then terminates with status 0. Returns false (and does not terminate) when the
// new start could not be arranged.
bool zq_relaunch();
