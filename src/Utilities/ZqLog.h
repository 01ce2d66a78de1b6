#pragma once

#include <string>
#include <string_view>

#include "Utilities/ZqFormat.h"
#include "Utilities/ZqSourceName.h"

// Levels as the module's log records carry them.
enum class ZqLogLevel : int { Error = 1, Warning = 2, Info = 4, Debug = 8, Verbose = 16 };

// Where a line was logged: the path below src/ without extension, the function and the line.
struct ZqLogSite {
  std::string_view file;
  const char* function;
  int line;
};

// Installs the loggers and writes the first start-up line; later calls do nothing.
void ZqSetupLogging();

// Hands one formatted line to every logger. Error lines are on their way to disk when
// this returns; other levels may still be queued.
void ZqLogMessage(ZqLogLevel level, const ZqLogSite& site, std::string message);

#define ZQ_LOG(level, format, ...)                                   \
  ZqLogMessage(level, ZqLogSite{ZQ_SOURCE_PATH, __func__, __LINE__}, \
               ZqFormat(format __VA_OPT__(, ) __VA_ARGS__))
#define ZQ_LOG_ERROR(format, ...) ZQ_LOG(ZqLogLevel::Error, format __VA_OPT__(, ) __VA_ARGS__)
#define ZQ_LOG_WARN(format, ...) ZQ_LOG(ZqLogLevel::Warning, format __VA_OPT__(, ) __VA_ARGS__)
#define ZQ_LOG_INFO(format, ...) ZQ_LOG(ZqLogLevel::Info, format __VA_OPT__(, ) __VA_ARGS__)
#define ZQ_LOG_DEBUG(format, ...) ZQ_LOG(ZqLogLevel::Debug, format __VA_OPT__(, ) __VA_ARGS__)
#define ZQ_LOG_VERBOSE(format, ...) ZQ_LOG(ZqLogLevel::Verbose, format __VA_OPT__(, ) __VA_ARGS__)
