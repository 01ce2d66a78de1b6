#include "runloop/FdWatch.h"

#include "runloop/MainQueue.h"

namespace velquarin::platform {

FdWatch::FdWatch(int fd, unsigned events, bool keepAlive, FdCallback callback)
    : events_(events), keepAlive_(keepAlive) {
  auto driver = MainQueue::shared().driver();
  if (!driver) return;
  id_ = driver->watchFd(fd, events, keepAlive, std::move(callback));
  if (id_ != 0) driver_ = driver;
}

FdWatch::~FdWatch() {
  if (auto driver = driver_.lock(); driver && id_ != 0) driver->unwatchFd(id_);
}

void FdWatch::update(unsigned events, bool keepAlive) {
  if (events == events_ && keepAlive == keepAlive_) return;
  events_ = events;
  keepAlive_ = keepAlive;
  if (auto driver = driver_.lock(); driver && id_ != 0) {
    driver->updateFdWatch(id_, events, keepAlive);
  }
}

}  // namespace velquarin::platform
