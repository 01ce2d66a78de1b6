#include "Utilities/ZqLog.h"

#include <spdlog/sinks/stdout_color_sinks.h>
#include <spdlog/spdlog.h>

#include <memory>
#include <mutex>

namespace {

spdlog::level::level_enum spdlogLevel(ZqLogLevel level) {
  switch (level) {
    case ZqLogLevel::Error:
      return spdlog::level::err;
    case ZqLogLevel::Warning:
      return spdlog::level::warn;
    case ZqLogLevel::Info:
      return spdlog::level::info;
    case ZqLogLevel::Debug:
      return spdlog::level::debug;
    case ZqLogLevel::Verbose:
      return spdlog::level::trace;
  }
  return spdlog::level::info;
}

std::shared_ptr<spdlog::logger>& moduleLogger() {
  static std::once_flag once;
  static std::shared_ptr<spdlog::logger> logger;
  std::call_once(once, [] {
    logger = std::make_shared<spdlog::logger>(
        "VelquarinNative", std::make_shared<spdlog::sinks::stderr_color_sink_mt>());
    logger->set_pattern("%Y-%m-%d %H:%M:%S.%e [%l] %g:%# %! | %v");
    logger->set_level(spdlog::level::trace);
    logger->flush_on(spdlog::level::err);
  });
  return logger;
}

}  // namespace

void ZqSetupLogging() {
  static std::once_flag once;
  std::call_once(once, [] {
    moduleLogger();
    ZQ_LOG_INFO("Native Module logging initialized!");
  });
}

void ZqLogMessage(ZqLogLevel level, const ZqLogSite& site, std::string message) {
  // spdlog keeps the file name pointer only for the call; the site's view is static text.
  const std::string file(site.file);
  moduleLogger()->log(spdlog::source_loc{file.c_str(), site.line, site.function},
                      spdlogLevel(level), "{}", message);
}
