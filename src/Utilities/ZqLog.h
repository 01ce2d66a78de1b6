#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "Utilities/ZqFormat.h"
#include "Utilities/ZqSourceName.h"
#include "logging/Log.h"

// Levels as the module's log records carry them.
enum class ZqLogLevel : int { Error = 1, Warning = 2, Info = 4, Debug = 8, Verbose = 16 };

// Where a line was logged: the path below src/ without extension, the function and the line.
struct ZqLogSite {
  std::string_view file;
  const char* function;
  int line;
};

// Installs the console and file loggers and writes the first start-up line; later calls do
// nothing. Lines logged before it reach the console only.
void ZqSetupLogging();

// Hands one formatted line to every logger. Error lines are on disk when this returns (with
// every line logged before them); other levels may still be queued.
void ZqLogMessage(ZqLogLevel level, const ZqLogSite& site, std::string message);

// The macros' road: `file` and `function` are literals that live for the process.
void ZqLogLiteral(ZqLogLevel level, const char* file, const char* function, int line,
                  std::string_view message);

// Writes one line to the system log: standard error here, never the log file. Lines that
// other programs read from the system log (clipboard, time-tracking, shortcuts, text
// replacements) go this way, formatted with ZqFormat, with a line break added.
void ZqSystemLogLine(std::string_view line);
#define ZQ_SYSTEM_LOG(format, ...) ZqSystemLogLine(ZqFormat(format __VA_OPT__(, ) __VA_ARGS__))

// Waits until every line logged so far is written; false on time-out.
bool ZqFlushLog(double timeoutSeconds = 5);

// The folder of the log files, once ZqSetupLogging has run.
std::optional<std::string> ZqLogDirectory();

// Adds a logger that sees every later line (on the logging thread).
void ZqAddLogger(std::shared_ptr<velquarin::platform::AbstractLogger> logger);

// The source path as a NUL-terminated constant, so queued lines can keep a pointer to it.
template <std::size_t N>
struct ZqSourceLiteral {
  consteval explicit ZqSourceLiteral(std::string_view path) {
    for (std::size_t i = 0; i < N; ++i) text[i] = path[i];
  }
  char text[N + 1] = {};
};

#define ZQ_SOURCE_PATH_LITERAL                                               \
  ([]() -> const char* {                                                     \
    static constexpr ZqSourceLiteral<ZqSourcePath(__FILE__).size()> literal( \
        ZqSourcePath(__FILE__));                                             \
    return literal.text;                                                     \
  }())

#define ZQ_LOG(level, format, ...)                                \
  ZqLogLiteral(level, ZQ_SOURCE_PATH_LITERAL, __func__, __LINE__, \
               ZqFormat(format __VA_OPT__(, ) __VA_ARGS__))
// For lines whose source name is fixed whatever file holds the code ("VelquarinNative" for the
// lines the host knows under the module's entry): `source` must be a string literal.
#define ZQ_LOG_AS(source, level, format, ...) \
  ZqLogLiteral(level, source, __func__, __LINE__, ZqFormat(format __VA_OPT__(, ) __VA_ARGS__))
#define ZQ_LOG_ERROR(format, ...) ZQ_LOG(ZqLogLevel::Error, format __VA_OPT__(, ) __VA_ARGS__)
#define ZQ_LOG_WARN(format, ...) ZQ_LOG(ZqLogLevel::Warning, format __VA_OPT__(, ) __VA_ARGS__)
#define ZQ_LOG_INFO(format, ...) ZQ_LOG(ZqLogLevel::Info, format __VA_OPT__(, ) __VA_ARGS__)
#define ZQ_LOG_DEBUG(format, ...) ZQ_LOG(ZqLogLevel::Debug, format __VA_OPT__(, ) __VA_ARGS__)
#define ZQ_LOG_VERBOSE(format, ...) ZQ_LOG(ZqLogLevel::Verbose, format __VA_OPT__(, ) __VA_ARGS__)
