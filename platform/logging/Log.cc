#include "logging/Log.h"

#include <spdlog/async_logger.h>
#include <spdlog/details/thread_pool.h>
#include <spdlog/pattern_formatter.h>
#include <spdlog/sinks/dist_sink.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>
#include <unordered_set>

#include "logging/ConsoleSink.h"
#include "logging/RollingFileSink.h"

namespace velquarin::platform {
namespace {

// spdlog builds every entry of the queue up front (about 400 bytes each, each one touched):
// 256 lines are 0.1 MiB of every process, and the writer is a few microseconds behind a
// burst; a longer burst waits for room rather than losing lines.
constexpr std::size_t kQueueSize = 256;
constexpr auto kBlock = spdlog::async_overflow_policy::block;
constexpr auto kNoWait = spdlog::async_overflow_policy::overrun_oldest;
// How long a thread that logs waits for room in a full queue (a slow disk) before its line
// is dropped.
constexpr auto kFullQueueWait = std::chrono::milliseconds(500);

// Set on the logging thread: a line logged from there (by a logger) would wait for itself.
thread_local bool onLoggingThread = false;

spdlog::level::level_enum spdlogLevel(LogLevel level) {
  switch (level) {
    case LogLevel::Error:
      return spdlog::level::err;
    case LogLevel::Warning:
      return spdlog::level::warn;
    case LogLevel::Info:
      return spdlog::level::info;
    case LogLevel::Debug:
      return spdlog::level::debug;
    case LogLevel::Verbose:
      return spdlog::level::trace;
  }
  return spdlog::level::info;
}

LogLevel logLevel(spdlog::level::level_enum level) {
  switch (level) {
    case spdlog::level::err:
    case spdlog::level::critical:
      return LogLevel::Error;
    case spdlog::level::warn:
      return LogLevel::Warning;
    case spdlog::level::info:
      return LogLevel::Info;
    case spdlog::level::debug:
      return LogLevel::Debug;
    default:
      return LogLevel::Verbose;
  }
}

// %* in a pattern: the level under the name the records use ("warning", "verbose").
class LevelFlag final : public spdlog::custom_flag_formatter {
 public:
  void format(const spdlog::details::log_msg& message, const std::tm&,
              spdlog::memory_buf_t& dest) override {
    const char* name = logLevelName(logLevel(message.level));
    dest.append(name, name + std::strlen(name));
  }
  std::unique_ptr<custom_flag_formatter> clone() const override {
    return std::make_unique<LevelFlag>();
  }
};

// Time, level, source file:line, function, [process thread-name], text. The thread name
// travels as the record's logger name.
std::unique_ptr<spdlog::formatter> recordFormatter() {
  auto formatter = std::make_unique<spdlog::pattern_formatter>();
  formatter->add_flag<LevelFlag>('*').set_pattern("%Y-%m-%d %H:%M:%S.%e [%*] %g:%# %! [%P %n] %v");
  return formatter;
}

std::string_view currentThreadName() {
  // Read once per thread: the name is part of every record, and a system call per line is
  // more than the rest of the front end costs.
  thread_local char name[17] = {};
  thread_local bool known = false;
  if (!known) {
    if (::prctl(PR_GET_NAME, name) != 0) name[0] = 0;
    name[16] = 0;
    known = true;
  }
  return name;
}

// Hands records to an AbstractLogger.
class LoggerSink final : public spdlog::sinks::sink {
 public:
  explicit LoggerSink(std::shared_ptr<AbstractLogger> logger) : logger_(std::move(logger)) {}
  void log(const spdlog::details::log_msg& message) override {
    const LogMessage record{
        logLevel(message.level),
        message.source.filename ? std::string_view(message.source.filename) : std::string_view(),
        message.source.funcname ? std::string_view(message.source.funcname) : std::string_view(),
        message.source.line,
        std::string_view(message.logger_name.data(), message.logger_name.size()),
        std::string_view(message.payload.data(), message.payload.size()),
    };
    try {
      logger_->logMessage(record);
    } catch (...) {
      // A logger that fails loses its line, not the logging thread.
    }
  }
  void flush() override {}
  void set_pattern(const std::string&) override {}
  void set_formatter(std::unique_ptr<spdlog::formatter>) override {}

 private:
  std::shared_ptr<AbstractLogger> logger_;
};

// The last sink of the logger. The logging thread flushes after each error line and for each
// flush request, in queue order, so the n-th flush it sees means the n-th waiter's line (and
// everything before it) has been written.
class BarrierSink final : public spdlog::sinks::sink {
 public:
  void log(const spdlog::details::log_msg&) override {}
  void flush() override {
    {
      std::lock_guard lock(mutex_);
      ++passed_;
    }
    changed_.notify_all();
  }
  void set_pattern(const std::string&) override {}
  void set_formatter(std::unique_ptr<spdlog::formatter>) override {}

  bool waitFor(std::uint64_t ticket, double timeoutSeconds) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::duration<double>(timeoutSeconds),
                             [&] { return passed_ >= ticket; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::uint64_t passed_ = 0;
};

struct Backend {
  std::shared_ptr<spdlog::details::thread_pool> pool;
  std::shared_ptr<spdlog::sinks::dist_sink_mt> loggers;
  std::shared_ptr<BarrierSink> barrier;
  std::shared_ptr<spdlog::async_logger> logger;

  std::mutex postMutex;  // room, ticket and post in one step; ticket order is queue order
  std::uint64_t tickets = 0;

  std::mutex fileMutex;
  std::shared_ptr<RollingFileSink> file;

  Backend() {
    pool = std::make_shared<spdlog::details::thread_pool>(kQueueSize, 1, [] {
      onLoggingThread = true;
      ::prctl(PR_SET_NAME, "velquarin-log");
    });
    auto console = std::make_shared<ConsoleSink>(STDERR_FILENO);
    console->set_formatter(recordFormatter());
    loggers = std::make_shared<spdlog::sinks::dist_sink_mt>();
    loggers->add_sink(console);
    barrier = std::make_shared<BarrierSink>();
    logger = std::make_shared<spdlog::async_logger>(
        "velquarin", spdlog::sinks_init_list{loggers, barrier}, pool, kBlock);
    logger->set_level(spdlog::level::trace);
    logger->flush_on(spdlog::level::err);
    // Warnings from spdlog itself (a sink that threw) go to the console directly.
    logger->set_error_handler([](const std::string& message) {
      std::fprintf(stderr, "Velquarin logging: %s\n", message.c_str());
    });
  }

  // Posts one record, or one flush request when `message` is null; waits for it to be
  // written when asked to. False when the line was dropped or the wait timed out.
  bool post(const spdlog::details::log_msg* message, bool wait, double timeoutSeconds) {
    std::uint64_t ticket = 0;
    if (!postWhenRoom(message, wait, ticket)) return false;
    return !wait || barrier->waitFor(ticket, timeoutSeconds);
  }

  // Finding room and posting are one step under postMutex: the logging thread only takes
  // entries out, so a post never overruns another one. An overrun flush would leave every
  // later waiter one flush short, waiting out its whole time. The wait for room is bounded;
  // a line that finds none in that time is dropped.
  bool postWhenRoom(const spdlog::details::log_msg* message, bool wait, std::uint64_t& ticket) {
    const auto deadline = std::chrono::steady_clock::now() + kFullQueueWait;
    for (;;) {
      {
        std::lock_guard lock(postMutex);
        if (pool->queue_size() < kQueueSize) {
          if (wait) ticket = ++tickets;
          if (message) {
            pool->post_log(spdlog::details::async_logger_ptr(logger), *message, kNoWait);
          } else {
            pool->post_flush(spdlog::details::async_logger_ptr(logger), kNoWait);
          }
          return true;
        }
      }
      if (std::chrono::steady_clock::now() >= deadline) {
        droppedForFullQueue.fetch_add(1, std::memory_order_relaxed);
        return false;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }

  std::atomic<std::uint64_t> droppedForFullQueue{0};
};

Backend& backend() {
  // Never destroyed: lines may be logged while the process exits. What is queued then is
  // written by the exit handler.
  static Backend* instance = [] {
    auto* created = new Backend();
    std::atexit([] { Log::flush(2); });
    return created;
  }();
  return *instance;
}

// Length of the valid UTF-8 sequence at `p` (RFC 3629: no overlongs, surrogates or code
// points past U+10FFFF), or 0.
std::size_t utf8SequenceLength(const unsigned char* p, std::size_t available) {
  const unsigned char c = p[0];
  if (c < 0x80) return 1;
  auto continuation = [&](std::size_t i, unsigned char low = 0x80, unsigned char high = 0xBF) {
    return i < available && p[i] >= low && p[i] <= high;
  };
  if (c >= 0xC2 && c <= 0xDF) return continuation(1) ? 2 : 0;
  if (c >= 0xE0 && c <= 0xEF) {
    const unsigned char low = c == 0xE0 ? 0xA0 : 0x80;
    const unsigned char high = c == 0xED ? 0x9F : 0xBF;
    return continuation(1, low, high) && continuation(2) ? 3 : 0;
  }
  if (c >= 0xF0 && c <= 0xF4) {
    const unsigned char low = c == 0xF0 ? 0x90 : 0x80;
    const unsigned char high = c == 0xF4 ? 0x8F : 0xBF;
    return continuation(1, low, high) && continuation(2) && continuation(3) ? 4 : 0;
  }
  return 0;
}

bool needsSanitizing(std::string_view text) {
  if (text.size() > Log::kMaximumTextBytes) return true;
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if ((c < 0x20 && c != '\t') || c >= 0x7F) return true;
  }
  return false;
}

}  // namespace

const char* logLevelName(LogLevel level) {
  switch (level) {
    case LogLevel::Error:
      return "error";
    case LogLevel::Warning:
      return "warning";
    case LogLevel::Info:
      return "info";
    case LogLevel::Debug:
      return "debug";
    case LogLevel::Verbose:
      return "verbose";
  }
  return "info";
}

std::string Log::sanitize(std::string_view text) {
  std::string out;
  out.reserve(std::min(text.size(), kMaximumTextBytes) + 16);
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  std::size_t i = 0;
  while (i < text.size()) {
    if (out.size() >= kMaximumTextBytes) {
      out += "\xE2\x80\xA6 (" + std::to_string(text.size() - i) + " bytes cut)";
      break;
    }
    const unsigned char c = bytes[i];
    if (c < 0x20 || c == 0x7F) {
      static const char hex[] = "0123456789ABCDEF";
      switch (c) {
        case '\t':
          out += '\t';
          break;
        case '\n':
          out += "\\n";
          break;
        case '\r':
          out += "\\r";
          break;
        case 0:
          out += "\\0";
          break;
        default:
          out += "\\x";
          out += hex[c >> 4];
          out += hex[c & 0xF];
      }
      ++i;
      continue;
    }
    const std::size_t length = utf8SequenceLength(bytes + i, text.size() - i);
    if (length == 0) {
      out += "\xEF\xBF\xBD";  // U+FFFD for each byte that starts no valid sequence
      ++i;
      continue;
    }
    out.append(text.data() + i, length);
    i += length;
  }
  return out;
}

void Log::write(LogLevel level, const Site& site, std::string_view text) {
  if (onLoggingThread) return;
  auto& logging = backend();
  std::string sanitized;
  if (needsSanitizing(text)) {
    sanitized = sanitize(text);
    text = sanitized;
  }
  const std::string_view thread = currentThreadName();
  const spdlog::details::log_msg message(
      spdlog::source_loc{site.file ? site.file : "", site.line, site.function ? site.function : ""},
      spdlog::string_view_t(thread.data(), thread.size()), spdlogLevel(level),
      spdlog::string_view_t(text.data(), text.size()));
  try {
    if (!logging.post(&message, level == LogLevel::Error, 2)) return;
    if (const auto dropped = logging.droppedForFullQueue.exchange(0); dropped > 0) {
      write(LogLevel::Warning, Site{"logging/Log", "write", __LINE__},
            std::to_string(dropped) + " lines dropped while the log queue was full");
    }
  } catch (const std::exception& error) {
    std::fprintf(stderr, "Velquarin logging: %s\n", error.what());
  }
}

bool Log::flush(double timeoutSeconds) {
  if (onLoggingThread) return false;
  try {
    return backend().post(nullptr, true, timeoutSeconds);
  } catch (const std::exception&) {
    return false;
  }
}

const char* Log::intern(std::string_view text) {
  static std::mutex mutex;
  static auto* texts = new std::unordered_set<std::string>();  // never destroyed, as above
  std::lock_guard lock(mutex);
  auto it = texts->find(std::string(text));
  if (it != texts->end()) return it->c_str();
  // Sites come from code; a flood of distinct texts is a fault, and must not grow forever.
  if (texts->size() >= 4096) return "(unknown)";
  return texts->emplace(text).first->c_str();
}

bool Log::addFileLogger(const std::string& directory) {
  auto& logging = backend();
  std::lock_guard lock(logging.fileMutex);
  if (logging.file) return false;
  RollingFileSink::Options options;
  options.directory = directory;
  logging.file = std::make_shared<RollingFileSink>(options);
  logging.file->set_formatter(recordFormatter());
  logging.loggers->add_sink(logging.file);
  return true;
}

void Log::addLogger(std::shared_ptr<AbstractLogger> logger) {
  if (!logger) return;
  // A logger joins from the next line on: lines still queued were logged before it existed.
  flush();
  backend().loggers->add_sink(std::make_shared<LoggerSink>(std::move(logger)));
}

std::optional<std::string> Log::directory() {
  auto& logging = backend();
  std::lock_guard lock(logging.fileMutex);
  if (!logging.file) return std::nullopt;
  return logging.file->options().directory;
}

std::optional<std::string> Log::currentFile() {
  auto& logging = backend();
  std::shared_ptr<RollingFileSink> file;
  {
    std::lock_guard lock(logging.fileMutex);
    file = logging.file;
  }
  if (!file) return std::nullopt;
  return file->currentPath();
}

}  // namespace velquarin::platform
