#include "Utilities/ZqLog.h"

#include <unistd.h>

#include <cerrno>
#include <exception>
#include <mutex>

#include "Extensions/NSApplication+ZqExtensions.h"

using velquarin::platform::Log;
using velquarin::platform::LogLevel;

namespace {

// Set while this thread looks up the log folder: that lookup may log, and a line must never
// set up logging again from inside the set-up.
thread_local bool settingUp = false;

}  // namespace

void ZqSetupLogging() {
  static std::once_flag once;
  if (settingUp) return;
  bool installed = false;
  std::call_once(once, [&installed] {
    std::optional<std::string> directory;
    settingUp = true;
    try {
      directory = zq_applicationSupportDirectory() + "/Logs";
    } catch (const std::exception& error) {
      settingUp = false;
      ZQ_LOG_ERROR("No folder for the log file (%@); logging to the console only", error.what());
    }
    settingUp = false;
    if (directory) Log::addFileLogger(*directory);
    installed = true;
  });
  if (installed) ZQ_LOG_INFO("Native Module logging initialized!");
}

void ZqLogLiteral(ZqLogLevel level, const char* file, const char* function, int line,
                  std::string_view message) {
  Log::write(static_cast<LogLevel>(level), Log::Site{file, function, line}, message);
}

void ZqLogMessage(ZqLogLevel level, const ZqLogSite& site, std::string message) {
  Log::write(
      static_cast<LogLevel>(level),
      Log::Site{Log::intern(site.file), Log::intern(site.function ? site.function : ""), site.line},
      message);
}

void ZqSystemLogLine(std::string_view line) {
  // One write per line, so lines of several threads never interleave; a closed or full
  // standard error drops the line rather than blocking or ending the process.
  std::string text(line);
  text.push_back('\n');
  std::size_t written = 0;
  while (written < text.size()) {
    const auto n = ::write(STDERR_FILENO, text.data() + written, text.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    written += static_cast<std::size_t>(n);
  }
}

bool ZqFlushLog(double timeoutSeconds) {
  return Log::flush(timeoutSeconds);
}

std::optional<std::string> ZqLogDirectory() {
  return Log::directory();
}

void ZqAddLogger(std::shared_ptr<velquarin::platform::AbstractLogger> logger) {
  Log::addLogger(std::move(logger));
}
