#pragma once

#include <optional>
#include <string>

// Facts about the running application and its folders, for the whole process.

// The system version string and whether it is at least 10.14 by the dotted-version rule.
std::string zq_osVersion();
bool zq_isMojaveOrBetter(const std::string& version);
bool zq_isMojaveOrBetter();

// The main bundle's name (CFBundleName) and version (CFBundleVersion).
std::optional<std::string> zq_bundleName();
std::optional<std::string> zq_bundleVersion();

// $XDG_CONFIG_HOME (default ~/.config) followed by the bundle name; created when missing.
std::string zq_applicationSupportDirectory();
// The application support directory followed by "localStorageDatabase".
std::string zq_localStorageDatabaseDirectory();
// A per-user 0700 folder under $TMPDIR followed by the bundle identifier; created.
std::string zq_temporaryDirectory();
// $XDG_CACHE_HOME (default ~/.cache) followed by the bundle identifier; created.
std::optional<std::string> zq_cachesDirectory();
// The first free path "prefix.extension", "prefix_1.extension" ... "prefix_999.extension" in
// the temporary directory; nullopt after 1000 attempts.
std::optional<std::string> zq_createUniquePathWithPrefix(const std::string& prefix,
                                                         const std::string& extension);
void zq_removeLocalStorageDatabase();
// Starts the host again once this process has exited, then exits.
void zq_relaunch();
