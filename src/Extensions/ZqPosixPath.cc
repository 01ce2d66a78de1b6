#include "Extensions/ZqPosixPath.h"

#include <pwd.h>
#include <unistd.h>

#include <optional>
#include <vector>

#include "Extensions/NSApplication+ZqExtensions.h"

namespace {

std::optional<std::string> homeOfUser(const std::string& name) {
  if (name.empty()) return zq_homeDirectory();
  if (name.size() > 256) return std::nullopt;
  const long size = sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
  struct passwd entry {};
  struct passwd* found = nullptr;
  if (getpwnam_r(name.c_str(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found ||
      !found->pw_dir || *found->pw_dir != '/') {
    return std::nullopt;
  }
  return std::string(found->pw_dir);
}

}  // namespace

std::string ZqExpandTildeInPath(const std::string& path) {
  if (path.empty() || path.front() != '~') return path;
  const auto slash = path.find('/');
  const std::string user =
      path.substr(1, slash == std::string::npos ? std::string::npos : slash - 1);
  const std::string rest = slash == std::string::npos ? "" : path.substr(slash);
  auto home = homeOfUser(user);
  if (!home) return path;
  while (home->size() > 1 && home->back() == '/') home->pop_back();
  if (*home == "/" && !rest.empty()) return rest;
  return *home + rest;
}

std::string ZqConvertToPosixPath(const std::string& path) {
  return ZqExpandTildeInPath(path);
}
