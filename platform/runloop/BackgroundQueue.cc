#include "runloop/BackgroundQueue.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace velquarin::platform {

struct BackgroundQueue::State {
  std::mutex mutex;
  std::condition_variable ready;
  std::deque<Task> tasks;
  std::size_t unfinished = 0;  // queued or running
  std::condition_variable idle;
};

namespace {

void runWorker(std::shared_ptr<BackgroundQueue::State> state) {
  for (;;) {
    BackgroundQueue::Task task;
    {
      std::unique_lock lock(state->mutex);
      state->ready.wait(lock, [&] { return !state->tasks.empty(); });
      task = std::move(state->tasks.front());
      state->tasks.pop_front();
    }
    task();
    std::lock_guard lock(state->mutex);
    if (--state->unfinished == 0) state->idle.notify_all();
  }
}

// Shared by the caller of apply() and the workers helping it; lives until the last of them
// lets go, so a helper that starts after the caller returned finds nothing left to do.
struct ApplyState {
  std::function<void(std::size_t)> body;
  std::size_t count = 0;
  std::atomic<std::size_t> next{0};
  std::mutex mutex;
  std::condition_variable finished;
  std::size_t done = 0;

  void work() {
    std::size_t ran = 0;
    for (std::size_t i = next++; i < count; i = next++) {
      body(i);
      ++ran;
    }
    if (ran == 0) return;
    std::lock_guard lock(mutex);
    done += ran;
    if (done == count) finished.notify_all();
  }
};

}  // namespace

BackgroundQueue& BackgroundQueue::shared() {
  // Never destroyed: workers may still be running while the process exits.
  static BackgroundQueue* queue = new BackgroundQueue();
  return *queue;
}

BackgroundQueue::BackgroundQueue()
    : state_(std::make_shared<State>()),
      workers_(std::clamp<std::size_t>(std::thread::hardware_concurrency(), 2, 4)) {
  for (std::size_t i = 0; i < workers_; ++i) std::thread(runWorker, state_).detach();
}

void BackgroundQueue::async(Task task) {
  if (!task) return;
  {
    std::lock_guard lock(state_->mutex);
    state_->tasks.push_back(std::move(task));
    ++state_->unfinished;
  }
  state_->ready.notify_one();
}

bool BackgroundQueue::waitUntilIdle(double seconds) {
  std::unique_lock lock(state_->mutex);
  return state_->idle.wait_for(lock, std::chrono::duration<double>(std::max(seconds, 0.0)),
                               [&] { return state_->unfinished == 0; });
}

void BackgroundQueue::apply(std::size_t count, std::function<void(std::size_t)> body) {
  if (count == 0 || !body) return;
  auto state = std::make_shared<ApplyState>();
  state->body = std::move(body);
  state->count = count;
  const std::size_t helpers = std::min(count - 1, workers_);
  for (std::size_t i = 0; i < helpers; ++i) async([state] { state->work(); });
  state->work();
  std::unique_lock lock(state->mutex);
  state->finished.wait(lock, [&] { return state->done == state->count; });
}

}  // namespace velquarin::platform
