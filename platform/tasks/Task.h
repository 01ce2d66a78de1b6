#pragma once

#include <string>
#include <vector>

namespace velquarin::platform {

struct TaskResult {
  bool launched = false;
  int exitStatus = -1;  // when it exited normally
  int signal = 0;       // when a signal ended it
};

// Runs the program at the absolute path `executable` with `arguments` as its argument vector
// (no shell), standard input from /dev/null so it can never wait on a question, output
// discarded; blocks until it exits.
TaskResult runTask(const std::string& executable, const std::vector<std::string>& arguments);

}  // namespace velquarin::platform
