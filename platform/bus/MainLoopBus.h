#pragma once

#include <systemd/sd-bus.h>

#include <functional>
#include <memory>
#include <string>

#include "runloop/FdWatch.h"
#include "runloop/MainQueue.h"

namespace velquarin::platform {

struct SdBusCloser {
  void operator()(sd_bus* bus) const { sd_bus_flush_close_unref(bus); }
};
struct SdBusSlotCloser {
  void operator()(sd_bus_slot* slot) const { sd_bus_slot_unref(slot); }
};
struct SdBusMessageCloser {
  void operator()(sd_bus_message* message) const { sd_bus_message_unref(message); }
};
using SdBusHandle = std::unique_ptr<sd_bus, SdBusCloser>;
using SdBusSlotHandle = std::unique_ptr<sd_bus_slot, SdBusSlotCloser>;
using SdBusMessageHandle = std::unique_ptr<sd_bus_message, SdBusMessageCloser>;

// An sd-bus connection served on the main loop: a watch on its descriptor for the events it
// asks for and a main-queue timer for its time-out, with no thread of its own and never
// holding the host open. Main thread only.
//
// sd-bus only says what it waits for when asked, so the watch and the timer are re-read after
// every dispatch; code that sends outside a dispatch (a signal, a call) calls rearm().
class MainLoopBus {
 public:
  // The user's session bus; null and `error` (errno text) when there is none.
  static std::unique_ptr<MainLoopBus> openSession(std::string* error);
  ~MainLoopBus();
  MainLoopBus(const MainLoopBus&) = delete;
  MainLoopBus& operator=(const MainLoopBus&) = delete;

  sd_bus* get() const { return bus_.get(); }
  bool lost() const { return lost_; }
  // Called once when the connection breaks; the object stays, inert.
  void setOnLost(std::function<void(const std::string& reason)> onLost) {
    onLost_ = std::move(onLost);
  }
  void rearm();

 private:
  explicit MainLoopBus(SdBusHandle bus);
  void dispatch();
  void fail(int error);

  SdBusHandle bus_;
  std::unique_ptr<FdWatch> watch_;
  TimerId timer_ = 0;
  std::uint64_t deadline_ = UINT64_MAX;
  bool lost_ = false;
  std::function<void(const std::string&)> onLost_;
};

}  // namespace velquarin::platform
