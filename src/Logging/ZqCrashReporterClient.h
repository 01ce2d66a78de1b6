#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "Logging/ZqCrashEvent.h"

// The crash-reporter client: checks its DSN, installs the fatal-signal handlers and, at the
// next start, hands every pending event to its hooks. It has no transport: nothing it holds
// ever leaves the process except through the hooks.
class ZqCrashReporterClient {
 public:
  using BeforeSerializeEvent = std::function<void(ZqCrashEvent& event)>;
  using ShouldSendEvent = std::function<bool(const ZqCrashEvent& event)>;

  // A client for `dsn` ("https://<key>@<host>[:port][/path]/<project>"); null with `error`
  // set when the DSN is empty or malformed.
  static std::shared_ptr<ZqCrashReporterClient> create(std::string_view dsn, std::string& error);

  void setBeforeSerializeEvent(BeforeSerializeEvent hook) { beforeSerialize_ = std::move(hook); }
  void setShouldSendEvent(ShouldSendEvent hook) { shouldSend_ = std::move(hook); }

  static void setSharedClient(std::shared_ptr<ZqCrashReporterClient> client);
  static std::shared_ptr<ZqCrashReporterClient> sharedClient();

  // Installs the handlers writing into the caches directory's pending folder, then hands the
  // events of earlier crashes found there to the hooks and removes them.
  bool startCrashHandler(std::string& error);
  // The hand-over part alone; returns how many events went to the hooks.
  std::size_t sendPendingEvents(const std::string& directory);

  // Crashes the process with a real invalid memory access.
  [[noreturn]] void crash();

  // The folder of pending events below the caches directory; nothing, with the reason in
  // `problem`, when the caches folder is missing or cannot be made.
  static std::optional<std::string> pendingDirectory(std::string& problem);

 private:
  struct Token {};

 public:
  explicit ZqCrashReporterClient(Token) {}

 private:
  BeforeSerializeEvent beforeSerialize_;
  ShouldSendEvent shouldSend_;
};
