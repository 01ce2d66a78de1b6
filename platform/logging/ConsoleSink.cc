#include "logging/ConsoleSink.h"

#include <limits.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>

namespace velquarin::platform {
namespace {

// Whether `fd` can take PIPE_BUF bytes within `milliseconds` (0: now).
bool writable(int fd, int milliseconds) {
  pollfd entry{fd, POLLOUT, 0};
  for (;;) {
    const int ready = ::poll(&entry, 1, milliseconds);
    if (ready < 0 && errno == EINTR) continue;
    return ready > 0 && (entry.revents & POLLOUT) && !(entry.revents & (POLLERR | POLLNVAL));
  }
}

}  // namespace

// A chunk of at most PIPE_BUF bytes is taken whole once poll says the descriptor is
// writable, so no write here can block for long; a line is written in such chunks.
ConsoleWrite writeWithoutBlocking(int fd, std::string_view line, int finishMilliseconds) {
  std::size_t done = 0;
  while (done < line.size()) {
    if (!writable(fd, done == 0 ? 0 : finishMilliseconds)) {
      return done == 0 ? ConsoleWrite::NotStarted : ConsoleWrite::Cut;
    }
    const std::size_t chunk = std::min<std::size_t>(line.size() - done, PIPE_BUF);
    const ssize_t written = ::write(fd, line.data() + done, chunk);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return done == 0 ? ConsoleWrite::NotStarted : ConsoleWrite::Cut;
    done += static_cast<std::size_t>(written);
  }
  return ConsoleWrite::Written;
}

ConsoleSink::ConsoleSink(int fd) : fd_(fd) {}

std::uint64_t ConsoleSink::droppedLines() {
  std::lock_guard lock(mutex_);
  return dropped_;
}

// Says how many lines were dropped, when any were; false while the console takes nothing.
bool ConsoleSink::reportDropped() {
  if (dropped_ == 0 && !cut_) return true;
  std::string note = cut_ ? "\n" : "";
  if (dropped_ > 0) {
    note += "Velquarin logging: " + std::to_string(dropped_) +
            " lines dropped while standard error took nothing\n";
  }
  const ConsoleWrite outcome = writeWithoutBlocking(fd_, note, kConsoleFinishLineMilliseconds);
  if (outcome == ConsoleWrite::NotStarted) return false;
  dropped_ = 0;
  cut_ = outcome == ConsoleWrite::Cut;
  return true;
}

void ConsoleSink::sink_it_(const spdlog::details::log_msg& message) {
  if (!reportDropped()) {
    ++dropped_;
    return;
  }
  spdlog::memory_buf_t formatted;
  formatter_->format(message, formatted);
  switch (writeWithoutBlocking(fd_, std::string_view(formatted.data(), formatted.size()),
                               kConsoleFinishLineMilliseconds)) {
    case ConsoleWrite::Written:
      break;
    case ConsoleWrite::NotStarted:
      ++dropped_;
      break;
    case ConsoleWrite::Cut:
      cut_ = true;
      break;
  }
}

void ConsoleSink::flush_() {
  reportDropped();
}

}  // namespace velquarin::platform
