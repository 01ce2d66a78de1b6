#pragma once

#include <spdlog/sinks/base_sink.h>

#include <cstdint>
#include <mutex>

#include "logging/ConsoleWrite.h"

namespace velquarin::platform {

// The console logger: standard error, written only while it can take a line at once. A
// console nobody drains (a pipe the host never reads, a stopped terminal) must not stall the
// logging thread and, behind it, every thread that logs: lines are dropped instead, and how
// many is said on the console once it takes lines again.
class ConsoleSink final : public spdlog::sinks::base_sink<std::mutex> {
 public:
  explicit ConsoleSink(int fd);

  std::uint64_t droppedLines();

 protected:
  void sink_it_(const spdlog::details::log_msg& message) override;
  void flush_() override;

 private:
  bool reportDropped();

  int fd_;
  std::uint64_t dropped_ = 0;
  bool cut_ = false;  // the last line was cut short: the next output starts a new line
};

}  // namespace velquarin::platform
