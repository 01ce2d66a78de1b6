#include "Utilities/ZqLog.h"

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

bool ZqFlushLog(double timeoutSeconds) {
  return Log::flush(timeoutSeconds);
}

std::optional<std::string> ZqLogDirectory() {
  return Log::directory();
}

void ZqAddLogger(std::shared_ptr<velquarin::platform::AbstractLogger> logger) {
  Log::addLogger(std::move(logger));
}
