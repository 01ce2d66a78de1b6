#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace velquarin::platform {

// Levels as log records carry them.
enum class LogLevel : int { Error = 1, Warning = 2, Info = 4, Debug = 8, Verbose = 16 };

const char* logLevelName(LogLevel level);

// One line as loggers see it, on the logging thread. The views live for the call only.
struct LogMessage {
  LogLevel level;
  std::string_view file;  // path below src/ without extension
  std::string_view function;
  int line;
  std::string_view threadName;  // of the thread that logged the line
  std::string_view text;
};

// A logger added to the logging system: it sees every line, on the logging thread, in the
// order the lines were logged. It must not log itself (such lines are dropped).
class AbstractLogger {
 public:
  virtual ~AbstractLogger() = default;
  virtual void logMessage(const LogMessage& message) = 0;
};

// The process's logging system: a console logger from the first line on, a rolling log file
// once a folder is given, and any added loggers. Error lines are written before write()
// returns (together with every line logged before them); other lines are queued and written
// by the logging thread.
class Log {
 public:
  // Where a line was logged. `file` and `function` must live as long as the process (string
  // literals, or text from intern()): queued lines keep the pointers.
  struct Site {
    const char* file;
    const char* function;
    int line;
  };

  static void write(LogLevel level, const Site& site, std::string_view text);

  // A copy of `text` that lives as long as the process; the same text gives the same copy.
  static const char* intern(std::string_view text);

  // Adds the log file in `directory` (created when missing, rolled every 24 hours, one older
  // file kept). Only the first call has an effect; it returns whether it was that call.
  static bool addFileLogger(const std::string& directory);

  // Adds a logger for every line logged after this call.
  static void addLogger(std::shared_ptr<AbstractLogger> logger);

  // Waits until every line logged so far is written; false when the wait timed out or
  // when called on the logging thread.
  static bool flush(double timeoutSeconds = 5);

  // The folder and the file being written, once the file logger exists.
  static std::optional<std::string> directory();
  static std::optional<std::string> currentFile();

  // What write() does to a line's text: invalid UTF-8 becomes U+FFFD, control characters
  // (tab aside) are escaped so a line stays one line, and overlong text is cut.
  static std::string sanitize(std::string_view text);
  static constexpr std::size_t kMaximumTextBytes = 64 * 1024;
};

}  // namespace velquarin::platform
