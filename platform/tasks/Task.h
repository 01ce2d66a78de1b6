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
  bool stopped = false;  // `keepGoing` said no, or the time ran out, and it was killed
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
  // Killed once it has run this long; zero is no limit.
  std::chrono::milliseconds timeLimit{0};
  // Resource limits of the program (RLIMIT_CPU in seconds, RLIMIT_AS in bytes); 0 leaves
  // them alone.
  std::uint64_t maxCPUSeconds = 0;
  std::uint64_t maxAddressSpace = 0;
  // A descriptor the program reads as its standard input instead of /dev/null; the caller
  // keeps and closes it.
  int standardInput = -1;
};

// Runs the program at the absolute path `executable` with `arguments` as its argument vector
// (no shell), standard input from /dev/null (or the given descriptor) so it can never wait
// on a question, standard error discarded; blocks until it exits.
TaskResult runTask(const std::string& executable, const std::vector<std::string>& arguments,
                   const TaskOptions& options = {});

}  // namespace velquarin::platform
