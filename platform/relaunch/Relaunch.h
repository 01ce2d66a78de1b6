#pragma once

#include <optional>
#include <string>
#include <vector>

namespace velquarin::platform {

// A program and its argument vector (arguments[0] is the name it is started under).
struct LaunchCommand {
  std::string executable;
  std::vector<std::string> arguments;
};

// How this process was started: /proc/self/exe and /proc/self/cmdline.
std::optional<LaunchCommand> currentProcessCommand();

// Starts a helper that waits until this process has exited, then executes `command` (no
// shell: the vector is passed as it is). Returns false with `error` set when the helper
// could not be started.
bool relaunchAfterExit(const LaunchCommand& command, std::string& error);

// The helper program, beside the platform library.
std::string relaunchHelperPath();

}  // namespace velquarin::platform
