#include "bus/MainLoopBus.h"

#include <poll.h>
#include <time.h>

#include <cstring>

namespace velquarin::platform {
namespace {

std::uint64_t monotonicUsec() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::uint64_t>(now.tv_sec) * 1000000 +
         static_cast<std::uint64_t>(now.tv_nsec) / 1000;
}

}  // namespace

std::unique_ptr<MainLoopBus> MainLoopBus::openSession(std::string* error) {
  sd_bus* raw = nullptr;
  const int r = sd_bus_open_user(&raw);
  if (r < 0) {
    if (error) *error = std::strerror(-r);
    return nullptr;
  }
  std::unique_ptr<MainLoopBus> bus(new MainLoopBus(SdBusHandle(raw)));
  bus->rearm();
  return bus;
}

MainLoopBus::MainLoopBus(SdBusHandle bus) : bus_(std::move(bus)) {}

MainLoopBus::~MainLoopBus() {
  if (timer_ != 0) MainQueue::shared().cancel(timer_);
  watch_.reset();  // before the connection closes its descriptor
}

void MainLoopBus::rearm() {
  if (lost_) return;
  const int fd = sd_bus_get_fd(bus_.get());
  const int wanted = sd_bus_get_events(bus_.get());
  if (fd < 0 || wanted < 0) return fail(fd < 0 ? fd : wanted);
  unsigned events = 0;
  if (wanted & POLLIN) events |= kFdReadable;
  if (wanted & POLLOUT) events |= kFdWritable;
  if (!watch_) {
    watch_ = std::make_unique<FdWatch>(fd, events, false, [this](unsigned) { dispatch(); });
  } else {
    watch_->update(events, false);
  }

  std::uint64_t deadline = UINT64_MAX;
  if (sd_bus_get_timeout(bus_.get(), &deadline) < 0) deadline = UINT64_MAX;
  if (deadline == deadline_ && (timer_ != 0 || deadline == UINT64_MAX)) return;
  if (timer_ != 0) MainQueue::shared().cancel(timer_);
  timer_ = 0;
  deadline_ = deadline;
  if (deadline == UINT64_MAX) return;
  const std::uint64_t now = monotonicUsec();
  const double delay = deadline <= now ? 0.0 : static_cast<double>(deadline - now) / 1e6;
  // The platform clock may be moved ahead by tests: an early firing only dispatches nothing.
  timer_ = MainQueue::shared().after(delay, [this] {
    timer_ = 0;
    deadline_ = UINT64_MAX;
    dispatch();
  });
}

void MainLoopBus::dispatch() {
  if (lost_) return;
  for (;;) {
    const int r = sd_bus_process(bus_.get(), nullptr);
    if (r < 0) return fail(r);
    if (r == 0) break;
  }
  rearm();
}

void MainLoopBus::fail(int error) {
  if (lost_) return;
  lost_ = true;
  if (timer_ != 0) MainQueue::shared().cancel(timer_);
  timer_ = 0;
  watch_.reset();
  if (onLost_) onLost_(std::strerror(error < 0 ? -error : error));
}

}  // namespace velquarin::platform
