#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <utility>

#include "runloop/MainQueue.h"

namespace velquarin::platform {

// A small pool of worker threads for slow work that must not hold the main thread up
// (drawing, encoding, file work). Work that touches module state or the host hops back with
// MainQueue::async; async() with a `done` does that hop itself. The workers start on first
// use and are never joined: work still running must not hold up the process's exit.
class BackgroundQueue {
 public:
  using Task = std::function<void()>;

  static BackgroundQueue& shared();

  // Any thread: runs `task` on a worker; tasks start in posting order.
  void async(Task task);

  // Any thread: runs `work` on a worker, then `done(result)` on the main thread. With
  // `keepAlive` the host's loop stays open until `done` has run (the host waits for it).
  template <typename Work, typename Done>
  void async(Work work, Done done, bool keepAlive = false) {
    auto hold = keepAlive ? std::make_shared<MainQueue::KeepAlive>() : nullptr;
    async([work = std::move(work), done = std::move(done), hold]() mutable {
      auto result = std::make_shared<decltype(work())>(work());
      MainQueue::shared().async([done, result, hold]() mutable { done(std::move(*result)); });
    });
  }

  // Any thread: calls `body(i)` for every i below `count`, spread over the workers and the
  // calling thread, and returns when all calls have returned. The caller takes part, so this
  // finishes even when every worker is busy (or the caller is one of them).
  void apply(std::size_t count, std::function<void(std::size_t)> body);

  // Any thread but a worker: waits up to `seconds` until no task is queued or running; false
  // on time-out.
  bool waitUntilIdle(double seconds);

  std::size_t workerCount() const { return workers_; }

  struct State;

 private:
  BackgroundQueue();
  std::shared_ptr<State> state_;
  std::size_t workers_;
};

}  // namespace velquarin::platform
