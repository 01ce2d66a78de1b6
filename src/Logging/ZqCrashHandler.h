#pragma once

#include <string>

// Handlers for the fatal signals (SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT). On a crash they
// write a pending event (see ZqCrashEvent) into the folder given at installation, using only
// async-signal-safe calls, then pass the signal on to the handler that was there before
// (the host's own), or let the process die of it as it would have.
class ZqCrashHandler {
 public:
  // Installs the handlers once per process, on an alternate stack for the calling thread
  // when it has none; later calls only change the folder and release. False with `error`
  // when the folder cannot be used or a handler cannot be installed.
  static bool install(const std::string& pendingDirectory, const std::string& release,
                      std::string& error);
  static bool isInstalled();
};
