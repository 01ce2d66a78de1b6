#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velquarin::platform {

// The operating system's version string, read afresh on every query: VERSION_ID of
// os-release, else the kernel release. The binding can pin it for tests.
class SystemVersion {
 public:
  static std::string current();
  // nullopt returns to what the system says.
  static void setOverride(std::optional<std::string> version);

  // VERSION_ID from os-release text (shell-style assignments, values optionally quoted).
  static std::optional<std::string> versionIdFromOsRelease(std::string_view text);
};

}  // namespace velquarin::platform
