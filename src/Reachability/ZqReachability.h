#pragma once

#include <sys/socket.h>

#include <functional>
#include <memory>

#include "reachability/Reachability.h"

// The module-wide monitor of general internet reachability. Change reports arrive on the
// main loop; the blocks run there, in the order reachable/unreachable, then reachability.
class ZqReachability : public std::enable_shared_from_this<ZqReachability> {
 public:
  using Flags = velquarin::platform::reachability::Flags;
  using Block = std::function<void(ZqReachability&)>;

  // Reachability of 0.0.0.0: the internet in general.
  static std::shared_ptr<ZqReachability> reachabilityForInternetConnection();
  // Null when no target can be made for `address`.
  static std::shared_ptr<ZqReachability> reachabilityWithAddress(const sockaddr* address,
                                                                 socklen_t length);
  explicit ZqReachability(std::unique_ptr<velquarin::platform::reachability::Target> target);
  ~ZqReachability();
  ZqReachability(const ZqReachability&) = delete;
  ZqReachability& operator=(const ZqReachability&) = delete;

  bool reachableOnWWAN = true;  // kept for hosts that set it; there is no WWAN distinction here
  Block reachableBlock;
  Block unreachableBlock;
  Block reachabilityBlock;

  // Starts listening for changes; true when already running.
  bool startNotifier();
  void stopNotifier();
  bool isNotifierRunning() const { return reachabilityObject_ != nullptr; }

  // Reachable flag set, and not a transient connection that still needs connecting.
  static bool isReachableWithFlags(Flags flags);
  bool isReachable() const;
  bool isConnected() const;
  void reachabilityChanged(Flags flags);

 private:
  std::unique_ptr<velquarin::platform::reachability::Target> reachabilityRef_;
  // The monitor itself while the notifier runs, so it lives as long as reports may come.
  std::shared_ptr<ZqReachability> reachabilityObject_;
};
