#pragma once

#include <cstdint>
#include <functional>

namespace velquarin::platform {

// Readiness bits of a watched file descriptor.
enum FdEvent : unsigned {
  kFdReadable = 1u << 0,
  kFdWritable = 1u << 1,
};

using FdWatchId = std::uint64_t;
// Called on the main thread with the FdEvent bits that are ready. Errors and hang-ups are
// reported as every bit the watch asked for, so the owner's next read or write sees them.
using FdCallback = std::function<void(unsigned events)>;

// What the main queue needs from the event loop it runs on. The host's add-ons supply the
// libuv implementation; without a driver the queue runs only when drained by hand.
class LoopDriver {
 public:
  virtual ~LoopDriver() = default;
  // Thread-safe: asks the loop to call MainQueue::drain() soon.
  virtual void wake() = 0;
  // Main thread: call MainQueue::drain() after `delaySeconds`; a negative delay cancels.
  virtual void scheduleTimer(double delaySeconds) = 0;
  // Main thread: whether the loop must stay alive for pending work the host waits for.
  virtual void setKeepAlive(bool keepAlive) = 0;

  // Main thread: watches `fd` for `events`. A watch with keepAlive holds the loop open while
  // it waits; one without never keeps the process alive. Returns 0 when `fd` cannot be watched.
  virtual FdWatchId watchFd(int fd, unsigned events, bool keepAlive, FdCallback callback) = 0;
  // Main thread: what a watch waits for (0 pauses it) and whether it holds the loop.
  virtual void updateFdWatch(FdWatchId id, unsigned events, bool keepAlive) = 0;
  // Main thread: ends a watch; its callback is not called again, even when this runs inside
  // that callback. The caller closes the descriptor only after this.
  virtual void unwatchFd(FdWatchId id) = 0;

  // Main thread: calls `callback` once this loop turn's I/O callbacks have run, before the
  // loop waits again, so work that many of them asked for is done once. Callbacks added
  // while they run still run in this turn (a few rounds at most). False when the driver
  // cannot; the caller then posts to the main queue.
  virtual bool atTurnEnd(std::function<void()> callback) {
    (void)callback;
    return false;
  }
};

}  // namespace velquarin::platform
