#pragma once

#include <memory>

#include "runloop/LoopDriver.h"

namespace velquarin::platform {

// A file descriptor watched on the main loop for as long as this object lives. Main thread
// only. Without an attached loop driver the watch is inactive and never fires.
class FdWatch {
 public:
  FdWatch(int fd, unsigned events, bool keepAlive, FdCallback callback);
  ~FdWatch();
  FdWatch(const FdWatch&) = delete;
  FdWatch& operator=(const FdWatch&) = delete;

  bool active() const { return id_ != 0; }
  unsigned events() const { return events_; }
  bool keepAlive() const { return keepAlive_; }
  void update(unsigned events, bool keepAlive);

 private:
  std::weak_ptr<LoopDriver> driver_;
  FdWatchId id_ = 0;
  unsigned events_;
  bool keepAlive_;
};

}  // namespace velquarin::platform
