#include "logging/Log.h"

#include <gtest/gtest.h>
#include <sys/prctl.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "Logging/ZqSentryLogger.h"
#include "Utilities/ZqLog.h"
#include "notificationcenter/NotificationCenter.h"
#include "runloop/MainQueue.h"

using velquarin::platform::AbstractLogger;
using velquarin::platform::Log;
using velquarin::platform::LogLevel;
using velquarin::platform::LogMessage;
using velquarin::platform::MainQueue;
using velquarin::platform::Notification;
using velquarin::platform::NotificationCenter;

namespace {

struct Seen {
  LogLevel level;
  std::string file, function, thread, text;
  int line;
};

class RecordingLogger : public AbstractLogger {
 public:
  void logMessage(const LogMessage& message) override {
    std::lock_guard lock(mutex);
    seen.push_back({message.level, std::string(message.file), std::string(message.function),
                    std::string(message.threadName), std::string(message.text), message.line});
  }
  std::vector<Seen> lines() {
    std::lock_guard lock(mutex);
    return seen;
  }
  std::mutex mutex;
  std::vector<Seen> seen;
};

std::string threadName() {
  char name[17] = {};
  prctl(PR_GET_NAME, name);
  return name;
}

}  // namespace

TEST(LogSanitize, KeepsValidTextAndMakesEverythingElseSafe) {
  EXPECT_EQ(Log::sanitize("plain\ttext, äöü €  𝄞"), "plain\ttext, äöü €  𝄞");
  EXPECT_EQ(Log::sanitize(std::string("a\0b", 3)), "a\\0b");
  EXPECT_EQ(Log::sanitize("one\ntwo\r\x1b[31m\x7f"), "one\\ntwo\\r\\x1B[31m\\x7F");
  // Stray continuation, truncated sequence, overlong "/", surrogate, past U+10FFFF.
  EXPECT_EQ(Log::sanitize("\x80|\xE2\x82|\xC0\xAF|\xED\xA0\x80|\xF4\x90\x80\x80"),
            "\uFFFD|\uFFFD\uFFFD|\uFFFD\uFFFD|\uFFFD\uFFFD\uFFFD|\uFFFD\uFFFD\uFFFD\uFFFD");
  const std::string huge(Log::kMaximumTextBytes + 100, 'x');
  const std::string cut = Log::sanitize(huge);
  EXPECT_EQ(cut.substr(0, Log::kMaximumTextBytes), huge.substr(0, Log::kMaximumTextBytes));
  EXPECT_EQ(cut.substr(Log::kMaximumTextBytes), "\u2026 (100 bytes cut)");
}

TEST(Log, LoggersSeeLaterLinesInOrderWithTheirSiteAndThread) {
  auto recorder = std::make_shared<RecordingLogger>();
  ZQ_LOG_INFO("before the logger");
  Log::addLogger(recorder);
  {
    // A site whose text goes away at once: queued lines must not point into it.
    std::string file = "Keychain/ZqKeyChain";
    ZqLogMessage(ZqLogLevel::Warning, ZqLogSite{file, "addPassword", 60}, "warned");
    file.assign(file.size(), '#');
  }
  std::thread([] {
    prctl(PR_SET_NAME, "zq-worker");
    ZQ_LOG_VERBOSE("from %@", "a worker");
  }).join();
  ASSERT_TRUE(Log::flush());
  const auto lines = recorder->lines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].level, LogLevel::Warning);
  EXPECT_EQ(lines[0].file, "Keychain/ZqKeyChain");
  EXPECT_EQ(lines[0].function, "addPassword");
  EXPECT_EQ(lines[0].line, 60);
  EXPECT_EQ(lines[0].thread, threadName());
  EXPECT_EQ(lines[0].text, "warned");
  EXPECT_EQ(lines[1].level, LogLevel::Verbose);
  EXPECT_EQ(lines[1].thread, "zq-worker");
  EXPECT_EQ(lines[1].file, ZQ_SOURCE_PATH);
  EXPECT_EQ(lines[1].text, "from a worker");
}

TEST(Log, ALoggerThatLogsItselfNeitherLoopsNorBlocks) {
  class Echo : public AbstractLogger {
   public:
    void logMessage(const LogMessage& message) override {
      ++count;
      ZQ_LOG_ERROR("echo of %@", message.text);  // would wait for its own thread
    }
    std::atomic<int> count{0};
  };
  auto echo = std::make_shared<Echo>();
  Log::addLogger(echo);
  ZQ_LOG_ERROR("once");
  ZQ_LOG_INFO("twice");
  ASSERT_TRUE(Log::flush());
  EXPECT_EQ(echo->count.load(), 2);
}

TEST(Log, ErrorsFromManyThreadsEachWaitForTheirOwnLine) {
  auto recorder = std::make_shared<RecordingLogger>();
  Log::addLogger(recorder);
  std::vector<std::thread> threads;
  std::atomic<int> missing{0};
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 50; ++i) {
        const std::string text = "t" + std::to_string(t) + "-" + std::to_string(i);
        ZQ_LOG_INFO("filler");
        ZQ_LOG_ERROR("%@", text);
        bool found = false;
        for (const auto& line : recorder->lines()) found = found || line.text == text;
        if (!found) ++missing;
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(missing.load(), 0);
}

// Threads that log into a full queue (a slow logger keeps it full) wait for room: no line is
// lost, each error line still waits for its own, and flushes after them still pass.
TEST(Log, ThreadsLoggingIntoAFullQueueLoseNoLineAndNoFlush) {
  class Slow : public AbstractLogger {
   public:
    void logMessage(const LogMessage& message) override {
      if (message.text.starts_with("racing ")) ++racing;
      if (slow) std::this_thread::sleep_for(std::chrono::microseconds(30));
    }
    std::atomic<bool> slow{true};
    std::atomic<int> racing{0};
  };
  auto slow = std::make_shared<Slow>();
  Log::addLogger(slow);
  std::vector<std::thread> threads;
  for (int t = 0; t < 6; ++t) {
    threads.emplace_back([] {
      for (int i = 0; i < 600; ++i) {
        if (i % 60 == 0) {
          ZQ_LOG_ERROR("racing error %@", i);
        } else {
          ZQ_LOG_INFO("racing filler %@", i);
        }
      }
    });
  }
  for (auto& thread : threads) thread.join();
  slow->slow = false;
  EXPECT_TRUE(Log::flush(2));
  EXPECT_TRUE(Log::flush(2));
  EXPECT_EQ(slow->racing.load(), 6 * 600);
}

// Levels and the message form are pinned by tests/js/crashreporter.test.js.
TEST(ZqSentryLogger, BreadcrumbsArePostedFromTheMainQueueWithSafeText) {
  MainQueue::shared().drain();
  std::vector<nlohmann::json> breadcrumbs;
  const auto observer = NotificationCenter::defaultCenter().addObserver(
      "ZqSentryBreadcrumbNotification", nullptr, NotificationCenter::Delivery::Posting,
      [&](const Notification& notification) { breadcrumbs.push_back(notification.userInfo); });
  ZqAddLogger(std::make_shared<ZqSentryLogger>());
  ZqLogMessage(ZqLogLevel::Error, ZqLogSite{"Keychain/ZqKeyChain", "addPassword", 60},
               std::string("bad\0byte \xFF", 10));
  ASSERT_TRUE(ZqFlushLog());
  EXPECT_TRUE(breadcrumbs.empty());  // posted on the main queue, not on the logging thread
  MainQueue::shared().drain();
  NotificationCenter::defaultCenter().removeObserver(observer);
  ASSERT_EQ(breadcrumbs.size(), 1u);
  EXPECT_EQ(breadcrumbs[0]["message"], "ZqKeyChain:60 [" + threadName() + "] bad\\0byte \uFFFD");
}
