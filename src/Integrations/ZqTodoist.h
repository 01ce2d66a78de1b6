#pragma once

#include <string>

// The task manager reached through its "todoist:" URLs, by whichever application handles
// the scheme.
class ZqTodoist {
 public:
  static constexpr const char* kBundleId = "com.todoist.mac.Todoist";
  static bool isInstalled();
  static void addActionWithContent(const std::string& content, const std::string& comment);
};
