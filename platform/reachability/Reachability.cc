#include "reachability/Reachability.h"

#include <arpa/inet.h>
#include <libmnl/libmnl.h>
#include <linux/if.h>
#include <linux/rtnetlink.h>
#include <netinet/in.h>
#include <sys/time.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <vector>

namespace velquarin::platform::reachability {
namespace {

// Public destinations that stand for "the internet" in route lookups (a root name server's
// addresses). Looking a route up sends nothing to them.
constexpr const char* kInternetIPv4 = "198.41.0.4";
constexpr const char* kInternetIPv6 = "2001:503:ba3e::2:30";

// Replies to link queries carry statistics; this holds any of them whole.
constexpr std::size_t kReceiveBufferBytes = 32 * 1024;

struct MnlSocketDeleter {
  void operator()(mnl_socket* socket) const { mnl_socket_close(socket); }
};
using MnlSocket = std::unique_ptr<mnl_socket, MnlSocketDeleter>;

std::atomic<std::size_t> scheduledCount{0};
unsigned nextSequence = 1;

MnlSocket openSocket(unsigned groups, bool nonBlocking) {
  MnlSocket socket(
      mnl_socket_open2(NETLINK_ROUTE, SOCK_CLOEXEC | (nonBlocking ? SOCK_NONBLOCK : 0)));
  if (!socket) return {};
  if (mnl_socket_bind(socket.get(), groups, MNL_SOCKET_AUTOPID) < 0) return {};
  if (!nonBlocking) {
    // The kernel answers at once; a bound on the wait keeps a broken stack from freezing
    // the main thread.
    timeval timeout{1, 0};
    setsockopt(mnl_socket_get_fd(socket.get()), SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof(timeout));
  }
  return socket;
}

// Sends `request` (with an acknowledgement asked for) and hands each reply to `callback`.
// False when the kernel answered with an error (errno holds it) or did not answer.
bool transact(mnl_socket* socket, nlmsghdr* request, mnl_cb_t callback, void* data) {
  const unsigned sequence = nextSequence++;
  request->nlmsg_seq = sequence;
  request->nlmsg_flags |= NLM_F_ACK;
  if (mnl_socket_sendto(socket, request, request->nlmsg_len) < 0) return false;
  const unsigned portId = mnl_socket_get_portid(socket);
  std::vector<char> buffer(kReceiveBufferBytes);
  for (;;) {
    const ssize_t received = mnl_socket_recvfrom(socket, buffer.data(), buffer.size());
    if (received < 0) return false;
    const int result = mnl_cb_run(buffer.data(), received, sequence, portId, callback, data);
    if (result == MNL_CB_STOP) return true;  // the acknowledgement
    if (result < 0) return false;
  }
}

struct RouteAttributes {
  RouteState* route;
  std::uint32_t outgoingLink = 0;
};

int routeAttribute(const nlattr* attribute, void* data) {
  auto* attributes = static_cast<RouteAttributes*>(data);
  switch (mnl_attr_get_type(attribute)) {
    case RTA_OIF:
      if (mnl_attr_validate(attribute, MNL_TYPE_U32) >= 0) {
        attributes->outgoingLink = mnl_attr_get_u32(attribute);
      }
      break;
    case RTA_GATEWAY:
    case RTA_VIA:
      attributes->route->viaGateway = true;
      break;
    default:
      break;
  }
  return MNL_CB_OK;
}

struct RouteReply {
  RouteState route;
  std::uint32_t outgoingLink = 0;
};

int routeReply(const nlmsghdr* message, void* data) {
  if (message->nlmsg_type != RTM_NEWROUTE) return MNL_CB_OK;
  auto* reply = static_cast<RouteReply*>(data);
  const auto* header = static_cast<const rtmsg*>(mnl_nlmsg_get_payload(message));
  reply->route.found = true;
  reply->route.unicast = header->rtm_type == RTN_UNICAST;
  reply->route.local = header->rtm_type == RTN_LOCAL;
  RouteAttributes attributes{&reply->route};
  mnl_attr_parse(message, sizeof(rtmsg), routeAttribute, &attributes);
  reply->outgoingLink = attributes.outgoingLink;
  return MNL_CB_OK;
}

struct LinkReply {
  bool found = false;
  unsigned flags = 0;
};

int linkReply(const nlmsghdr* message, void* data) {
  if (message->nlmsg_type != RTM_NEWLINK) return MNL_CB_OK;
  auto* reply = static_cast<LinkReply*>(data);
  const auto* header = static_cast<const ifinfomsg*>(mnl_nlmsg_get_payload(message));
  reply->found = true;
  reply->flags = header->ifi_flags;
  return MNL_CB_OK;
}

// The kernel's routing decision for one destination, and the state of its outgoing link.
// nullopt when the kernel cannot be asked at all; a destination without a route is a
// RouteState with `found` false.
std::optional<RouteState> lookUp(mnl_socket* socket, int family,
                                 const std::vector<std::uint8_t>& address) {
  std::vector<char> buffer(MNL_SOCKET_BUFFER_SIZE);
  nlmsghdr* request = mnl_nlmsg_put_header(buffer.data());
  request->nlmsg_type = RTM_GETROUTE;
  request->nlmsg_flags = NLM_F_REQUEST;
  auto* header = static_cast<rtmsg*>(mnl_nlmsg_put_extra_header(request, sizeof(rtmsg)));
  header->rtm_family = static_cast<unsigned char>(family);
  header->rtm_dst_len = static_cast<unsigned char>(address.size() * 8);
  mnl_attr_put(request, RTA_DST, address.size(), address.data());

  RouteReply reply;
  if (!transact(socket, request, routeReply, &reply)) {
    // No route (ENETUNREACH, EHOSTUNREACH...) is an answer; a silent kernel is not.
    if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) return std::nullopt;
    return RouteState{};
  }
  if (!reply.route.found || reply.outgoingLink == 0) return reply.route;

  std::vector<char> linkBuffer(MNL_SOCKET_BUFFER_SIZE);
  nlmsghdr* linkRequest = mnl_nlmsg_put_header(linkBuffer.data());
  linkRequest->nlmsg_type = RTM_GETLINK;
  linkRequest->nlmsg_flags = NLM_F_REQUEST;
  auto* link = static_cast<ifinfomsg*>(mnl_nlmsg_put_extra_header(linkRequest, sizeof(ifinfomsg)));
  link->ifi_family = AF_UNSPEC;
  link->ifi_index = static_cast<int>(reply.outgoingLink);
  LinkReply linkState;
  if (transact(socket, linkRequest, linkReply, &linkState) && linkState.found) {
    reply.route.linkKnown = true;
    reply.route.linkFlags = linkState.flags;
  }
  return reply.route;
}

std::vector<std::uint8_t> addressBytes(int family, const char* text) {
  std::vector<std::uint8_t> bytes(family == AF_INET ? 4 : 16);
  inet_pton(family, text, bytes.data());
  return bytes;
}

bool isUnspecified(const std::vector<std::uint8_t>& address) {
  for (auto byte : address) {
    if (byte != 0) return false;
  }
  return true;
}

}  // namespace

Flags flagsForRoute(const RouteState& route) {
  if (!route.found || !(route.unicast || route.local)) return 0;
  if (route.local) return kReachable | kIsLocalAddress | kIsDirect;
  const bool up = route.linkKnown && (route.linkFlags & IFF_UP) && (route.linkFlags & IFF_LOWER_UP);
  if (!up) return 0;
  Flags flags = kReachable;
  if (!route.viaGateway) flags |= kIsDirect;
  if (route.linkFlags & IFF_LOOPBACK) flags |= kIsLocalAddress;
  return flags;
}

struct Target::Monitor {
  MnlSocket socket;
  std::unique_ptr<FdWatch> watch;
};

Target::Target(std::vector<Destination> destinations) : destinations_(std::move(destinations)) {}

Target::~Target() {
  unscheduleFromMainLoop();
}

std::unique_ptr<Target> Target::createWithAddress(const sockaddr* address, socklen_t length) {
  if (!address) return nullptr;
  std::vector<Destination> destinations;
  if (address->sa_family == AF_INET && length >= static_cast<socklen_t>(sizeof(sockaddr_in))) {
    const auto* ipv4 = reinterpret_cast<const sockaddr_in*>(address);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(&ipv4->sin_addr);
    destinations.push_back({AF_INET, std::vector<std::uint8_t>(bytes, bytes + 4)});
  } else if (address->sa_family == AF_INET6 &&
             length >= static_cast<socklen_t>(sizeof(sockaddr_in6))) {
    const auto* ipv6 = reinterpret_cast<const sockaddr_in6*>(address);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(&ipv6->sin6_addr);
    destinations.push_back({AF_INET6, std::vector<std::uint8_t>(bytes, bytes + 16)});
  } else {
    return nullptr;
  }
  if (isUnspecified(destinations.front().address)) {
    destinations = {{AF_INET, addressBytes(AF_INET, kInternetIPv4)},
                    {AF_INET6, addressBytes(AF_INET6, kInternetIPv6)}};
  }
  return std::make_unique<Target>(std::move(destinations));
}

std::optional<Flags> Target::flags() const {
  MnlSocket socket = openSocket(0, false);
  if (!socket) return std::nullopt;
  std::optional<Flags> unreachable;
  for (const auto& destination : destinations_) {
    auto route = lookUp(socket.get(), destination.family, destination.address);
    if (!route) continue;
    const Flags flags = flagsForRoute(*route);
    if (flags & kReachable) return flags;
    unreachable = flags;
  }
  return unreachable;
}

bool Target::setCallback(Callback callback) {
  callback_ = std::move(callback);
  return true;
}

bool Target::scheduleOnMainLoop() {
  if (monitor_) return true;
  const unsigned groups =
      RTMGRP_LINK | RTMGRP_IPV4_IFADDR | RTMGRP_IPV6_IFADDR | RTMGRP_IPV4_ROUTE | RTMGRP_IPV6_ROUTE;
  auto monitor = std::make_unique<Monitor>();
  monitor->socket = openSocket(groups, true);
  if (!monitor->socket) return false;
  // The monitor only listens: it must never be what keeps the host running.
  monitor->watch = std::make_unique<FdWatch>(mnl_socket_get_fd(monitor->socket.get()), kFdReadable,
                                             false, [this](unsigned) { monitorReadable(); });
  if (!monitor->watch->active()) return false;
  monitor_ = std::move(monitor);
  ++scheduledCount;
  return true;
}

void Target::unscheduleFromMainLoop() {
  if (!monitor_) return;
  monitor_->watch.reset();  // before the socket closes
  monitor_.reset();
  --scheduledCount;
}

void Target::monitorReadable() {
  if (!monitor_) return;
  const int fd = mnl_socket_get_fd(monitor_->socket.get());
  std::vector<char> buffer(kReceiveBufferBytes);
  bool changed = false;
  // One batch: everything the kernel has queued now becomes one report.
  for (;;) {
    const ssize_t received = recv(fd, buffer.data(), buffer.size(), MSG_DONTWAIT);
    if (received > 0) {
      changed = true;
      continue;
    }
    if (received < 0 && errno == EINTR) continue;
    // Messages were lost to an overrun: something changed all the same.
    if (received < 0 && errno == ENOBUFS) {
      changed = true;
      continue;
    }
    break;
  }
  if (!changed || !callback_) return;
  Callback callback = callback_;  // the callback may replace itself
  callback(flags().value_or(0));
}

std::optional<Flags> internetFlags() {
  sockaddr_in any{};
  any.sin_family = AF_INET;
  auto target = Target::createWithAddress(reinterpret_cast<const sockaddr*>(&any), sizeof(any));
  return target ? target->flags() : std::nullopt;
}

std::size_t scheduledTargets() {
  return scheduledCount.load();
}

}  // namespace velquarin::platform::reachability
