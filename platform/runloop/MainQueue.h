#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "runloop/LoopDriver.h"

namespace velquarin::platform {

using TimerId = std::uint64_t;

// The main thread's queue: tasks posted from any thread and timers on the platform clock,
// all run on the main thread (the thread that runs the host's loop).
class MainQueue {
 public:
  using Task = std::function<void()>;

  static MainQueue& shared();

  // Any thread: runs `task` on the main thread, in posting order.
  void async(Task task);
  // Any thread: runs `task` once, `seconds` after now on the platform clock. A timer with
  // keepAlive holds the host's loop open until it fires or is cancelled.
  TimerId after(double seconds, Task task, bool keepAlive = false);
  // Any thread: runs `task` every `interval` seconds until cancelled.
  TimerId every(double interval, Task task, bool keepAlive = false);
  // Any thread: a cancelled timer never fires again. Unknown ids are ignored.
  void cancel(TimerId id);

  // Main thread: runs queued tasks and due timers; returns how many ran.
  std::size_t drain();
  std::size_t pendingTasks() const;
  std::size_t pendingTimers() const;

  // The first driver wins; its attaching thread becomes the main thread.
  bool attachDriver(std::shared_ptr<LoopDriver> driver);
  void detachDriver(const LoopDriver* driver);
  // The attached driver, for the loop's own facilities (file-descriptor watches); null
  // while none is attached.
  std::shared_ptr<LoopDriver> driver() const;
  bool isMainThread() const;

  // Keeps the host's loop alive while at least one hold is outstanding.
  class KeepAlive {
   public:
    KeepAlive();
    ~KeepAlive();
    KeepAlive(const KeepAlive&) = delete;
    KeepAlive& operator=(const KeepAlive&) = delete;
  };

  // After the clock moved: runs the timers now due (on the main thread) and reschedules.
  void clockChanged();

 private:
  struct Timer {
    double deadline;
    double interval;  // 0 for one-shot timers
    bool keepAlive;
    Task task;
  };

  MainQueue();
  TimerId addTimer(double deadline, double interval, bool keepAlive, Task task);
  void timersChanged();
  void reschedule();  // main thread
  void updateKeepAlive();
  std::size_t runDueTimers();

  mutable std::mutex mutex_;
  std::vector<Task> tasks_;
  std::map<TimerId, Timer> timers_;
  TimerId nextTimerId_ = 1;
  int keepAliveHolds_ = 0;
  std::shared_ptr<LoopDriver> driver_;
  std::thread::id mainThread_;
};

}  // namespace velquarin::platform
