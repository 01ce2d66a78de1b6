#pragma once

#include <sys/socket.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "runloop/FdWatch.h"

namespace velquarin::platform::reachability {

// The reachability flag word, with the values hosts know from the original platform.
using Flags = std::uint32_t;
enum : Flags {
  kTransientConnection = 1u << 0,
  kReachable = 1u << 1,
  kConnectionRequired = 1u << 2,
  kConnectionOnTraffic = 1u << 3,
  kInterventionRequired = 1u << 4,
  kConnectionOnDemand = 1u << 5,
  kIsLocalAddress = 1u << 16,
  kIsDirect = 1u << 17,
};

// What the kernel's routing decision for one destination says, as `ip route get` shows it.
struct RouteState {
  bool found = false;       // a route was returned
  bool unicast = false;     // it forwards packets (not unreachable, blackhole, prohibit)
  bool local = false;       // the destination is an address of this host
  bool viaGateway = false;  // through a router rather than on the link itself
  bool linkKnown = false;   // the outgoing link's state could be read
  unsigned linkFlags = 0;   // IFF_* of the outgoing link
};

// Flags for one destination: reachable when a forwarding route leaves through a link that
// is up and has carrier.
Flags flagsForRoute(const RouteState& route);

// A destination whose reachability is watched, like the original platform's reachability
// target: created for an address, asked for its flags, and told to call back on changes.
class Target {
 public:
  // 0.0.0.0 (or ::) stands for the internet in general: public destinations of both IPv4
  // and IPv6 are looked up, and either family being reachable is enough. Any other address
  // is looked up itself. Null for address families other than IPv4 and IPv6.
  static std::unique_ptr<Target> createWithAddress(const sockaddr* address, socklen_t length);

  struct Destination {
    int family;
    std::vector<std::uint8_t> address;
  };
  explicit Target(std::vector<Destination> destinations);
  ~Target();
  Target(const Target&) = delete;
  Target& operator=(const Target&) = delete;

  // Main thread: the flags now (no packet is sent); nullopt when the kernel cannot be asked.
  std::optional<Flags> flags() const;

  // Main thread: the function change reports go to; an empty one clears it.
  using Callback = std::function<void(Flags)>;
  bool setCallback(Callback callback);
  // Main thread: listens to link, address and route changes on the main loop and reports
  // once per batch of kernel messages. The watch never keeps the process alive. False when
  // the kernel's change messages cannot be received.
  bool scheduleOnMainLoop();
  void unscheduleFromMainLoop();
  bool scheduled() const { return monitor_ != nullptr; }

 private:
  struct Monitor;

  void monitorReadable();

  std::vector<Destination> destinations_;
  Callback callback_;
  std::unique_ptr<Monitor> monitor_;
};

// For the platform binding and tests: the flags of the general-internet target now, and how
// many targets are listening to the kernel.
std::optional<Flags> internetFlags();
std::size_t scheduledTargets();

}  // namespace velquarin::platform::reachability
