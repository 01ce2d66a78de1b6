#pragma once

#include <gio/gio.h>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

#include "keychain/GHandles.h"

namespace velquarin::platform::keychain {

// One thread that runs blocking store calls for its callers, so that a caller can give up on
// a call that does not finish in time instead of freezing. A call given up on has its
// cancellable cancelled; one still queued when its caller gave up is skipped. The thread is
// started on first use and never joined: a call stuck in the bus must not hold up exit.
class BoundedWorker {
 public:
  BoundedWorker();
  ~BoundedWorker();
  BoundedWorker(const BoundedWorker&) = delete;
  BoundedWorker& operator=(const BoundedWorker&) = delete;

  // Runs `job(cancellable)` on the worker thread; nullopt when it has not finished within
  // `timeout`. The job owns everything it touches: after a timeout it may still be running.
  template <typename Result, typename Job>
  std::optional<Result> run(Job job, std::chrono::milliseconds timeout) {
    auto result = std::make_shared<std::optional<Result>>();
    auto body = [result, job = std::move(job)](GCancellable* cancellable) mutable {
      result->emplace(job(cancellable));
    };
    if (!runTask(std::move(body), timeout)) return std::nullopt;
    return std::move(*result);
  }

  struct State;

 private:
  bool runTask(std::function<void(GCancellable*)> body, std::chrono::milliseconds timeout);

  std::shared_ptr<State> state_;
};

}  // namespace velquarin::platform::keychain
