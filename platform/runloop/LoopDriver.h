#pragma once

namespace velquarin::platform {

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
};

}  // namespace velquarin::platform
