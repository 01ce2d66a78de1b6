#include "Utilities/ZqLog.h"

#include <unistd.h>

#include <mutex>

#include "Extensions/NSApplication+ZqExtensions.h"
#include "logging/ConsoleWrite.h"

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
    // The log folder is ours to choose: without it the module logs to the console and goes
    // on, since ending the process here would end the host while it loads the module.
    std::string problem;
    settingUp = true;
    const auto support = zq_findApplicationSupportDirectory(problem);
    settingUp = false;
    if (support) {
      Log::addFileLogger(*support + "/Logs");
    } else {
      ZQ_LOG_ERROR("No folder for the log file (%@); logging to the console only", problem);
    }
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
  // Written in pieces the descriptor takes whole, so lines of several threads never
  // interleave; a closed or full standard error drops the line rather than blocking.
  std::string text(line);
  text.push_back('\n');
  velquarin::platform::writeWithoutBlocking(STDERR_FILENO, text,
                                            velquarin::platform::kConsoleFinishLineMilliseconds);
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
