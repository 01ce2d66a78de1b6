#include "systemversion/SystemVersion.h"

#include <sys/utsname.h>

#include <fstream>
#include <mutex>
#include <sstream>

namespace velquarin::platform {
namespace {

struct OverrideState {
  std::mutex mutex;
  std::optional<std::string> version;
};

OverrideState& overrideState() {
  static OverrideState* state = new OverrideState();
  return *state;
}

std::optional<std::string> readSmallFile(const char* path) {
  constexpr std::size_t kLimit = 64 * 1024;  // os-release is a few hundred bytes
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  std::string text(kLimit, '\0');
  file.read(text.data(), static_cast<std::streamsize>(kLimit));
  text.resize(static_cast<std::size_t>(file.gcount()));
  return text;
}

// A shell-style value: "quoted" (with backslash escapes), 'quoted', or bare.
std::string unquote(std::string_view value) {
  while (!value.empty() && (value.back() == ' ' || value.back() == '\t' || value.back() == '\r')) {
    value.remove_suffix(1);
  }
  if (value.size() >= 2 && value.front() == '\'' && value.back() == '\'') {
    return std::string(value.substr(1, value.size() - 2));
  }
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
    value = value.substr(1, value.size() - 2);
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
      if (value[i] == '\\' && i + 1 < value.size()) ++i;
      out.push_back(value[i]);
    }
    return out;
  }
  return std::string(value);
}

}  // namespace

std::optional<std::string> SystemVersion::versionIdFromOsRelease(std::string_view text) {
  constexpr std::string_view kKey = "VERSION_ID=";
  std::optional<std::string> found;
  std::istringstream lines{std::string(text)};
  for (std::string line; std::getline(lines, line);) {
    std::string_view view(line);
    while (!view.empty() && (view.front() == ' ' || view.front() == '\t')) view.remove_prefix(1);
    if (!view.starts_with(kKey)) continue;
    std::string value = unquote(view.substr(kKey.size()));
    // A later assignment wins, as it would in a shell.
    found = value.empty() ? std::nullopt : std::optional<std::string>(std::move(value));
  }
  return found;
}

std::string SystemVersion::current() {
  {
    std::lock_guard lock(overrideState().mutex);
    if (overrideState().version) return *overrideState().version;
  }
  for (const char* path : {"/etc/os-release", "/usr/lib/os-release"}) {
    if (auto text = readSmallFile(path)) {
      if (auto version = versionIdFromOsRelease(*text)) return *version;
      break;  // the first file that exists is the system's answer
    }
  }
  struct utsname name {};
  if (uname(&name) == 0) return name.release;
  return "";
}

void SystemVersion::setOverride(std::optional<std::string> version) {
  std::lock_guard lock(overrideState().mutex);
  overrideState().version = std::move(version);
}

}  // namespace velquarin::platform
