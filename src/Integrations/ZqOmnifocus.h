#pragma once

#include <optional>
#include <string>

// The task manager reached through its "omnifocus:" URLs.
class ZqOmnifocus {
 public:
  static std::optional<std::string> installedBundleId();
  static bool isInstalled() { return installedBundleId().has_value(); }
  static void addActionWithContent(const std::string& content, const std::string& comment);
};
