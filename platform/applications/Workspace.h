#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace velquarin::platform {

// One request to open URLs or files with another application, as the workspace was asked:
// the launch options and "deactivate" of the desktop's calls mean nothing to GIO, so they
// are kept here beside what happened.
struct HandOff {
  std::string application;         // the id or .desktop path asked for; "" for the default
  std::vector<std::string> items;  // URLs, or the paths of files and folders
  unsigned long launchOptions = 0;
  bool deactivate = false;
  bool opened = false;
  std::string error;  // GIO's message when nothing was opened
};

// The workspace's hand-offs to other applications, through GIO (argument vectors only),
// each one recorded. Any thread.
class Workspace {
 public:
  // Opens `urls` with `application`, or each with its scheme's default handler.
  static bool openURLs(const std::vector<std::string>& urls,
                       const std::optional<std::string>& application, unsigned long launchOptions,
                       std::string* error = nullptr);
  // Opens a file or folder with `application`, or with its type's default application.
  static bool openFile(const std::string& path, const std::optional<std::string>& application,
                       bool deactivate, std::string* error = nullptr);

  // The most recent hand-offs, oldest first.
  static std::vector<HandOff> handOffs();
  static void clearHandOffs();

  static constexpr std::size_t kKept = 64;
};

}  // namespace velquarin::platform
