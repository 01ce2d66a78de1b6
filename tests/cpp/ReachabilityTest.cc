#include <gtest/gtest.h>
#include <linux/if.h>
#include <netinet/in.h>
#include <sys/un.h>

#include <map>
#include <string>
#include <vector>

#include "Reachability/ZqReachability.h"
#include "notificationcenter/NotificationCenter.h"
#include "reachability/Reachability.h"
#include "runloop/FdWatch.h"
#include "runloop/MainQueue.h"

namespace reachability = velquarin::platform::reachability;
using velquarin::platform::FdCallback;
using velquarin::platform::FdWatchId;
using velquarin::platform::LoopDriver;
using velquarin::platform::MainQueue;
using velquarin::platform::NotificationCenter;

namespace {

// A loop driver that records file-descriptor watches instead of polling them.
class RecordingDriver final : public LoopDriver {
 public:
  struct Watch {
    int fd;
    unsigned events;
    bool keepAlive;
    FdCallback callback;
  };
  void wake() override {}
  void scheduleTimer(double) override {}
  void setKeepAlive(bool) override {}
  FdWatchId watchFd(int fd, unsigned events, bool keepAlive, FdCallback callback) override {
    const FdWatchId id = next++;
    watches[id] = Watch{fd, events, keepAlive, std::move(callback)};
    return id;
  }
  void updateFdWatch(FdWatchId id, unsigned events, bool keepAlive) override {
    watches.at(id).events = events;
    watches.at(id).keepAlive = keepAlive;
  }
  void unwatchFd(FdWatchId id) override { watches.erase(id); }

  std::map<FdWatchId, Watch> watches;
  FdWatchId next = 1;
};

class WithDriver : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(MainQueue::shared().attachDriver(driver)); }
  void TearDown() override { MainQueue::shared().detachDriver(driver.get()); }
  std::shared_ptr<RecordingDriver> driver = std::make_shared<RecordingDriver>();
};

}  // namespace

TEST(ZqReachability, FlagsTable) {
  EXPECT_TRUE(ZqReachability::isReachableWithFlags(2));
  EXPECT_FALSE(ZqReachability::isReachableWithFlags(0));
  EXPECT_TRUE(ZqReachability::isReachableWithFlags(2 | 4));
  EXPECT_FALSE(ZqReachability::isReachableWithFlags(1 | 2 | 4));
  EXPECT_TRUE(ZqReachability::isReachableWithFlags(1 | 2));
  EXPECT_FALSE(ZqReachability::isReachableWithFlags(1 | 4 | 0x20000));
  EXPECT_TRUE(ZqReachability::isReachableWithFlags(2 | 0x10000 | 0x20000));
}

TEST(Reachability, RoutesCountOnlyThroughALinkThatIsUpWithCarrier) {
  reachability::RouteState route;
  EXPECT_EQ(reachability::flagsForRoute(route), 0u);  // no route at all

  route.found = true;
  route.unicast = false;  // unreachable, blackhole or prohibit
  route.linkKnown = true;
  route.linkFlags = IFF_UP | IFF_LOWER_UP;
  EXPECT_EQ(reachability::flagsForRoute(route), 0u);

  route.unicast = true;
  route.viaGateway = true;
  EXPECT_EQ(reachability::flagsForRoute(route), reachability::kReachable);
  route.viaGateway = false;
  EXPECT_EQ(reachability::flagsForRoute(route), reachability::kReachable | reachability::kIsDirect);

  route.linkFlags = IFF_UP;  // cable out: the route stays, the carrier is gone
  EXPECT_EQ(reachability::flagsForRoute(route), 0u);
  route.linkFlags = IFF_LOWER_UP;
  EXPECT_EQ(reachability::flagsForRoute(route), 0u);
  route.linkFlags = IFF_UP | IFF_LOWER_UP;
  route.linkKnown = false;
  EXPECT_EQ(reachability::flagsForRoute(route), 0u);

  reachability::RouteState local;
  local.found = true;
  local.local = true;
  EXPECT_EQ(reachability::flagsForRoute(local),
            reachability::kReachable | reachability::kIsLocalAddress | reachability::kIsDirect);
}

TEST(Reachability, TargetsExistForInternetAddressesOnly) {
  sockaddr_un unixAddress{};
  unixAddress.sun_family = AF_UNIX;
  EXPECT_EQ(reachability::Target::createWithAddress(reinterpret_cast<sockaddr*>(&unixAddress),
                                                    sizeof(unixAddress)),
            nullptr);
  sockaddr_in shortAddress{};
  shortAddress.sin_family = AF_INET;
  EXPECT_EQ(reachability::Target::createWithAddress(reinterpret_cast<sockaddr*>(&shortAddress), 4),
            nullptr);
  EXPECT_NE(ZqReachability::reachabilityForInternetConnection(), nullptr);
  // A loopback address always has a route through an up link.
  sockaddr_in loopback{};
  loopback.sin_family = AF_INET;
  loopback.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  auto target = reachability::Target::createWithAddress(reinterpret_cast<sockaddr*>(&loopback),
                                                        sizeof(loopback));
  ASSERT_NE(target, nullptr);
  const auto flags = target->flags();
  ASSERT_TRUE(flags.has_value());
  EXPECT_TRUE(*flags & reachability::kReachable);
  EXPECT_TRUE(*flags & reachability::kIsLocalAddress);
}

TEST_F(WithDriver, NotifierStartsOnceListensQuietlyAndStops) {
  auto monitor = ZqReachability::reachabilityForInternetConnection();
  ASSERT_NE(monitor, nullptr);
  const std::size_t before = reachability::scheduledTargets();
  EXPECT_TRUE(monitor->startNotifier());
  EXPECT_TRUE(monitor->startNotifier());  // already running: not registered again
  EXPECT_EQ(reachability::scheduledTargets(), before + 1);
  ASSERT_EQ(driver->watches.size(), 1u);
  EXPECT_FALSE(driver->watches.begin()->second.keepAlive);

  // Readable with nothing queued (a spurious wake-up) reports nothing.
  int reports = 0;
  monitor->reachabilityBlock = [&](ZqReachability&) { ++reports; };
  driver->watches.begin()->second.callback(velquarin::platform::kFdReadable);
  EXPECT_EQ(reports, 0);

  monitor->stopNotifier();
  EXPECT_FALSE(monitor->isNotifierRunning());
  EXPECT_TRUE(driver->watches.empty());
  EXPECT_EQ(reachability::scheduledTargets(), before);
}

TEST(ZqReachability, ChangesRunTheBlocksInOrderThenPostTheNotification) {
  auto monitor = ZqReachability::reachabilityForInternetConnection();
  ASSERT_NE(monitor, nullptr);
  std::vector<std::string> calls;
  monitor->reachableBlock = [&](ZqReachability& m) {
    EXPECT_EQ(&m, monitor.get());
    calls.push_back("reachable");
  };
  monitor->unreachableBlock = [&](ZqReachability&) { calls.push_back("unreachable"); };
  monitor->reachabilityBlock = [&](ZqReachability&) { calls.push_back("changed"); };
  const void* postedBy = nullptr;
  int posted = 0;
  auto observer = NotificationCenter::defaultCenter().addObserver(
      "kZqReachabilityChangedNotification", nullptr, NotificationCenter::Delivery::Posting,
      [&](const velquarin::platform::Notification& note) {
        postedBy = note.object;
        ++posted;
      });
  MainQueue::shared().drain();

  monitor->reachabilityChanged(2);
  monitor->reachabilityChanged(1 | 2 | 4);
  EXPECT_EQ(calls, (std::vector<std::string>{"reachable", "changed", "unreachable", "changed"}));
  EXPECT_EQ(posted, 0);  // posted from the main queue, not from inside the change
  MainQueue::shared().drain();
  EXPECT_EQ(posted, 2);
  EXPECT_EQ(postedBy, monitor.get());
  NotificationCenter::defaultCenter().removeObserver(observer);
}
