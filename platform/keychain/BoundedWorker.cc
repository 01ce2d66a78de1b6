#include "keychain/BoundedWorker.h"

#include <pthread.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>

#include "gio/GioLibrary.h"

namespace velquarin::platform::keychain {
namespace {

struct Task {
  std::function<void(GCancellable*)> body;
  // None without GIO: the store then answers "not available" before any bus work.
  GObjectRef<GCancellable> cancellable =
      GioLibrary::get() ? GObjectRef<GCancellable>::adopt(gio().cancellable_new())
                        : GObjectRef<GCancellable>();
  bool done = false;
  bool abandoned = false;
};

}  // namespace

struct BoundedWorker::State {
  std::mutex mutex;
  std::condition_variable wake;      // the worker: a task was queued, or stop
  std::condition_variable finished;  // the callers: a task is done
  std::deque<std::shared_ptr<Task>> queue;
  bool started = false;
  bool stopping = false;
};

namespace {

void workerLoop(std::shared_ptr<BoundedWorker::State> state) {
  pthread_setname_np(pthread_self(), "keychain");
  std::unique_lock lock(state->mutex);
  for (;;) {
    state->wake.wait(lock, [&] { return state->stopping || !state->queue.empty(); });
    if (state->stopping) return;
    std::shared_ptr<Task> task = std::move(state->queue.front());
    state->queue.pop_front();
    if (task->abandoned) continue;
    lock.unlock();
    task->body(task->cancellable.get());
    lock.lock();
    task->done = true;
    state->finished.notify_all();
  }
}

}  // namespace

BoundedWorker::BoundedWorker() : state_(std::make_shared<State>()) {}

BoundedWorker::~BoundedWorker() {
  std::lock_guard lock(state_->mutex);
  state_->stopping = true;
  state_->wake.notify_all();
}

bool BoundedWorker::runTask(std::function<void(GCancellable*)> body,
                            std::chrono::milliseconds timeout) {
  auto task = std::make_shared<Task>();
  task->body = std::move(body);
  const auto deadline = std::chrono::steady_clock::now() + timeout;

  std::unique_lock lock(state_->mutex);
  if (!state_->started) {
    try {
      std::thread(workerLoop, state_).detach();
    } catch (const std::system_error&) {
      return false;
    }
    state_->started = true;
  }
  state_->queue.push_back(task);
  state_->wake.notify_one();
  if (state_->finished.wait_until(lock, deadline, [&] { return task->done; })) return true;
  task->abandoned = true;
  lock.unlock();
  if (task->cancellable) gio().cancellable_cancel(task->cancellable.get());
  return false;
}

}  // namespace velquarin::platform::keychain
