#include "runloop/MainQueue.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "runloop/Clock.h"

namespace velquarin::platform {

MainQueue& MainQueue::shared() {
  // Never destroyed: timers and tasks may still be posted while the process exits.
  static MainQueue* queue = new MainQueue();
  return *queue;
}

MainQueue::MainQueue() : mainThread_(std::this_thread::get_id()) {}

bool MainQueue::isMainThread() const {
  std::lock_guard lock(mutex_);
  return std::this_thread::get_id() == mainThread_;
}

void MainQueue::async(Task task) {
  if (!task) return;
  std::shared_ptr<LoopDriver> driver;
  {
    std::lock_guard lock(mutex_);
    tasks_.push_back(std::move(task));
    driver = driver_;
  }
  if (driver) driver->wake();
}

TimerId MainQueue::after(double seconds, Task task, bool keepAlive) {
  if (!std::isfinite(seconds) || seconds < 0) seconds = 0;
  return addTimer(Clock::now() + seconds, 0, keepAlive, std::move(task));
}

TimerId MainQueue::every(double interval, Task task, bool keepAlive) {
  // A zero or invalid interval would spin the loop; a millisecond is the floor.
  if (!std::isfinite(interval) || interval < 0.001) interval = 0.001;
  return addTimer(Clock::now() + interval, interval, keepAlive, std::move(task));
}

TimerId MainQueue::addTimer(double deadline, double interval, bool keepAlive, Task task) {
  TimerId id;
  {
    std::lock_guard lock(mutex_);
    id = nextTimerId_++;
    timers_.emplace(id, Timer{deadline, interval, keepAlive, std::move(task)});
  }
  timersChanged();
  return id;
}

void MainQueue::cancel(TimerId id) {
  {
    std::lock_guard lock(mutex_);
    if (timers_.erase(id) == 0) return;
  }
  timersChanged();
}

void MainQueue::timersChanged() {
  // Never runs timers here: a caller adding or cancelling one must not be re-entered by
  // timers that happen to be due. They run from the loop (or the next drain).
  if (isMainThread()) {
    reschedule();
    return;
  }
  std::shared_ptr<LoopDriver> driver;
  {
    std::lock_guard lock(mutex_);
    driver = driver_;
  }
  if (driver) driver->wake();
}

void MainQueue::clockChanged() {
  if (isMainThread()) runDueTimers();
  timersChanged();
}

std::size_t MainQueue::drain() {
  std::size_t ran = 0;
  for (;;) {
    std::vector<Task> batch;
    {
      std::lock_guard lock(mutex_);
      batch.swap(tasks_);
    }
    if (batch.empty()) break;
    for (auto& task : batch) {
      task();
      ++ran;
    }
  }
  ran += runDueTimers();
  reschedule();
  return ran;
}

std::size_t MainQueue::runDueTimers() {
  std::size_t ran = 0;
  // One pass: timers that become due while running wait for the next drain, so a
  // repeating timer with a tiny interval cannot starve the loop.
  const double now = Clock::now();
  std::vector<TimerId> due;
  {
    std::lock_guard lock(mutex_);
    for (const auto& [id, timer] : timers_) {
      if (timer.deadline <= now) due.push_back(id);
    }
    std::sort(due.begin(), due.end(), [this](TimerId a, TimerId b) {
      const auto& ta = timers_.at(a);
      const auto& tb = timers_.at(b);
      return ta.deadline != tb.deadline ? ta.deadline < tb.deadline : a < b;
    });
  }
  for (TimerId id : due) {
    Task task;
    {
      std::lock_guard lock(mutex_);
      auto it = timers_.find(id);
      if (it == timers_.end()) continue;  // cancelled by an earlier timer of this pass
      if (it->second.interval > 0) {
        task = it->second.task;
        // Skip missed periods instead of firing a burst after the clock jumps.
        const double interval = it->second.interval;
        double next = it->second.deadline + interval;
        if (next <= now) next = now + interval;
        it->second.deadline = next;
      } else {
        task = std::move(it->second.task);
        timers_.erase(it);
      }
    }
    if (task) task();
    ++ran;
  }
  return ran;
}

void MainQueue::reschedule() {
  std::shared_ptr<LoopDriver> driver;
  double delay = -1;
  {
    std::lock_guard lock(mutex_);
    driver = driver_;
    if (!driver) return;
    double earliest = std::numeric_limits<double>::infinity();
    for (const auto& [id, timer] : timers_) earliest = std::min(earliest, timer.deadline);
    if (std::isfinite(earliest)) delay = std::max(0.0, earliest - Clock::now());
  }
  driver->scheduleTimer(delay);
  updateKeepAlive();
}

void MainQueue::updateKeepAlive() {
  std::shared_ptr<LoopDriver> driver;
  bool keep = false;
  {
    std::lock_guard lock(mutex_);
    driver = driver_;
    keep = keepAliveHolds_ > 0 ||
           std::any_of(timers_.begin(), timers_.end(),
                       [](const auto& entry) { return entry.second.keepAlive; });
  }
  if (driver) driver->setKeepAlive(keep);
}

bool MainQueue::attachDriver(std::shared_ptr<LoopDriver> driver) {
  {
    std::lock_guard lock(mutex_);
    if (driver_ || !driver) return false;
    driver_ = std::move(driver);
    mainThread_ = std::this_thread::get_id();
  }
  drain();
  return true;
}

void MainQueue::detachDriver(const LoopDriver* driver) {
  std::lock_guard lock(mutex_);
  if (driver_.get() == driver) driver_.reset();
}

std::shared_ptr<LoopDriver> MainQueue::driver() const {
  std::lock_guard lock(mutex_);
  return driver_;
}

std::size_t MainQueue::pendingTasks() const {
  std::lock_guard lock(mutex_);
  return tasks_.size();
}

std::size_t MainQueue::pendingTimers() const {
  std::lock_guard lock(mutex_);
  return timers_.size();
}

MainQueue::KeepAlive::KeepAlive() {
  auto& queue = MainQueue::shared();
  {
    std::lock_guard lock(queue.mutex_);
    ++queue.keepAliveHolds_;
  }
  queue.timersChanged();
}

MainQueue::KeepAlive::~KeepAlive() {
  auto& queue = MainQueue::shared();
  {
    std::lock_guard lock(queue.mutex_);
    --queue.keepAliveHolds_;
  }
  queue.timersChanged();
}

}  // namespace velquarin::platform
