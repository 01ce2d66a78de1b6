#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace velquarin::platform {

struct TaskResult {
  bool launched = false;
  int exitStatus = -1;   // when it exited normally
  int signal = 0;        // when a signal ended it
  bool stopped = false;  // `keepGoing` said no and the program was killed
  std::string output;    // standard output, when captured (at most `captureOutput` bytes)
};

struct TaskOptions {
  // Keep up to this many bytes of standard output; 0 discards it. The rest is read and dropped,
  // so a talkative program never blocks on a full pipe.
  std::size_t captureOutput = 0;
  // The largest file the program may write (its RLIMIT_FSIZE); 0 leaves the limit alone.
  std::uint64_t maxFileSize = 0;
  // Asked about every `pollInterval` while the program runs; false kills it.
  std::function<bool()> keepGoing;
  std::chrono::milliseconds pollInterval{20};
};

// Runs the program at the absolute path `executable` with `arguments` as its argument vector
// (no shell), standard input from /dev/null so it can never wait on a question, standard
// error discarded; blocks until it exits.
TaskResult runTask(const std::string& executable, const std::vector<std::string>& arguments,
                   const TaskOptions& options = {});

}  // namespace velquarin::platform
