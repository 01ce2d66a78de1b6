#include "Reachability/ZqReachability.h"

#include <netinet/in.h>

#include "Utilities/ZqLog.h"
#include "notificationcenter/NotificationCenter.h"
#include "runloop/MainQueue.h"

namespace reachability = velquarin::platform::reachability;
using velquarin::platform::MainQueue;
using velquarin::platform::NotificationCenter;

std::shared_ptr<ZqReachability> ZqReachability::reachabilityForInternetConnection() {
  sockaddr_in zeroAddress{};
  zeroAddress.sin_family = AF_INET;
  return reachabilityWithAddress(reinterpret_cast<const sockaddr*>(&zeroAddress),
                                 sizeof(zeroAddress));
}

std::shared_ptr<ZqReachability> ZqReachability::reachabilityWithAddress(const sockaddr* address,
                                                                        socklen_t length) {
  auto target = reachability::Target::createWithAddress(address, length);
  if (!target) return nullptr;
  return std::make_shared<ZqReachability>(std::move(target));
}

ZqReachability::ZqReachability(std::unique_ptr<reachability::Target> target)
    : reachabilityRef_(std::move(target)) {}

ZqReachability::~ZqReachability() {
  stopNotifier();
}

bool ZqReachability::startNotifier() {
  if (reachabilityObject_.get() == this) return true;
  if (!reachabilityRef_) return false;
  std::weak_ptr<ZqReachability> weak = weak_from_this();
  if (!reachabilityRef_->setCallback([weak](Flags flags) {
        if (auto self = weak.lock()) self->reachabilityChanged(flags);
      })) {
    reachabilityObject_.reset();
    return false;
  }
  if (!reachabilityRef_->scheduleOnMainLoop()) {
    reachabilityRef_->setCallback({});
    reachabilityObject_.reset();
    return false;
  }
  reachabilityObject_ = shared_from_this();
  return true;
}

void ZqReachability::stopNotifier() {
  if (reachabilityRef_) {
    reachabilityRef_->setCallback({});
    reachabilityRef_->unscheduleFromMainLoop();
  }
  // Last: this may release the monitor itself.
  auto self = std::move(reachabilityObject_);
}

bool ZqReachability::isReachableWithFlags(Flags flags) {
  constexpr Flags required = reachability::kConnectionRequired | reachability::kTransientConnection;
  return (flags & reachability::kReachable) && (flags & required) != required;
}

bool ZqReachability::isReachable() const {
  if (!reachabilityRef_) return false;
  const auto flags = reachabilityRef_->flags();
  return flags && isReachableWithFlags(*flags);
}

bool ZqReachability::isConnected() const {
  return isReachable();
}

void ZqReachability::reachabilityChanged(Flags flags) {
  auto self = shared_from_this();  // a block may stop the notifier
  if (isReachableWithFlags(flags)) {
    ZQ_LOG_INFO("reachabilityChanged - reachable");
    if (reachableBlock) reachableBlock(*this);
  } else {
    ZQ_LOG_INFO("reachabilityChanged - not reachable");
    if (unreachableBlock) unreachableBlock(*this);
  }
  if (reachabilityBlock) reachabilityBlock(*this);
  MainQueue::shared().async([self] {
    NotificationCenter::defaultCenter().post("kZqReachabilityChangedNotification", self.get());
  });
}
