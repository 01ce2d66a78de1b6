#include "Extensions/NSApplication+ZqExtensions.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "Utilities/ZqLog.h"
#include "bundle/Bundle.h"

namespace fs = std::filesystem;

namespace {

std::string homeDirectory() {
  const char* home = std::getenv("HOME");
  return home && *home ? home : "/";
}

std::string xdgDirectory(const char* variable, const char* fallback) {
  const char* value = std::getenv(variable);
  if (value && *value == '/') return value;
  return homeDirectory() + "/" + fallback;
}

std::string bundleIdentifier() {
  return velquarin::platform::Bundle::main()->identifier().value_or("io.velquarin.desktop");
}

// Creates `path` with its parents; an existing directory is fine.
void ensureDirectory(const std::string& path) {
  std::error_code error;
  fs::create_directories(path, error);
  if (error) ZQ_LOG_ERROR("Could not create directory '%@'. (%@)", path, error.message());
}

}  // namespace

std::optional<std::string> zq_bundleName() {
  return velquarin::platform::Bundle::main()->infoString("CFBundleName");
}

std::optional<std::string> zq_bundleVersion() {
  return velquarin::platform::Bundle::main()->infoString("CFBundleVersion");
}

std::string zq_applicationSupportDirectory() {
  const std::string path =
      xdgDirectory("XDG_CONFIG_HOME", ".config") + "/" + zq_bundleName().value_or("Velquarin");
  if (!fs::exists(path)) ensureDirectory(path);
  return path;
}

std::string zq_localStorageDatabaseDirectory() {
  return zq_applicationSupportDirectory() + "/localStorageDatabase";
}

std::string zq_temporaryDirectory() {
  const char* tmp = std::getenv("TMPDIR");
  const std::string base = tmp && *tmp == '/' ? tmp : "/tmp";
  const std::string path = base + "/" + bundleIdentifier();
  ensureDirectory(path);
  return path;
}

std::optional<std::string> zq_cachesDirectory() {
  const std::string path = xdgDirectory("XDG_CACHE_HOME", ".cache") + "/" + bundleIdentifier();
  ensureDirectory(path);
  return path;
}
