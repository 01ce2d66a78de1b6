#pragma once

// The main queue's driver on the host's libuv loop. Header-only and compiled into each
// add-on, so the platform library itself never links libuv: the first add-on to load
// attaches its driver, the other finds it attached.

#include <node_api.h>
#include <uv.h>

#include <cmath>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

#include "runloop/MainQueue.h"

namespace velquarin::node {

class UvLoopDriver final : public platform::LoopDriver {
 public:
  explicit UvLoopDriver(uv_loop_t* loop) : loop_(loop) {
    uv_async_init(loop, &handles_->async, &UvLoopDriver::onWake);
    uv_timer_init(loop, &handles_->timer);
    uv_check_init(loop, &handles_->check);
    uv_idle_init(loop, &handles_->idle);
    handles_->async.data = this;
    handles_->timer.data = this;
    handles_->check.data = this;
    handles_->idle.data = this;
    // Long-lived handles must not keep the host alive on their own.
    uv_unref(reinterpret_cast<uv_handle_t*>(&handles_->async));
    uv_unref(reinterpret_cast<uv_handle_t*>(&handles_->timer));
    uv_unref(reinterpret_cast<uv_handle_t*>(&handles_->check));
    uv_unref(reinterpret_cast<uv_handle_t*>(&handles_->idle));
  }

  bool atTurnEnd(std::function<void()> callback) override {
    if (closed_ || !callback) return false;
    turnEnd_.push_back(std::move(callback));
    if (turnEnd_.size() == 1 && !checking_) armTurnEnd();
    return true;
  }

  void wake() override {
    if (!closed_) uv_async_send(&handles_->async);
  }

  void scheduleTimer(double delaySeconds) override {
    if (closed_) return;
    if (delaySeconds < 0 || !std::isfinite(delaySeconds)) {
      uv_timer_stop(&handles_->timer);
      return;
    }
    const double ms = std::ceil(delaySeconds * 1000.0);
    const auto timeout = ms > 1e12 ? static_cast<uint64_t>(1e12) : static_cast<uint64_t>(ms);
    uv_timer_start(&handles_->timer, &UvLoopDriver::onTimer, timeout, 0);
  }

  void setKeepAlive(bool keepAlive) override {
    if (closed_) return;
    auto* handle = reinterpret_cast<uv_handle_t*>(&handles_->async);
    if (keepAlive) {
      uv_ref(handle);
      uv_ref(reinterpret_cast<uv_handle_t*>(&handles_->timer));
    } else {
      uv_unref(handle);
      uv_unref(reinterpret_cast<uv_handle_t*>(&handles_->timer));
    }
  }

  platform::FdWatchId watchFd(int fd, unsigned events, bool keepAlive,
                              platform::FdCallback callback) override {
    if (closed_ || fd < 0 || !callback) return 0;
    auto watch = std::make_unique<PollWatch>();
    if (uv_poll_init(loop_, &watch->poll, fd) != 0) return 0;
    watch->poll.data = watch.get();
    watch->callback = std::make_shared<platform::FdCallback>(std::move(callback));
    const platform::FdWatchId id = nextWatchId_++;
    PollWatch* raw = watch.release();  // owned by the map, then by libuv while closing
    watches_.emplace(id, raw);
    apply(*raw, events, keepAlive);
    return id;
  }

  void updateFdWatch(platform::FdWatchId id, unsigned events, bool keepAlive) override {
    auto it = watches_.find(id);
    if (it != watches_.end()) apply(*it->second, events, keepAlive);
  }

  void unwatchFd(platform::FdWatchId id) override {
    auto it = watches_.find(id);
    if (it == watches_.end()) return;
    PollWatch* watch = it->second;
    watches_.erase(it);
    closeWatch(watch);
  }

  // Attaches a driver for `env`'s loop unless one is attached; closes the handles when the
  // environment is torn down.
  static void attach(napi_env env) {
    uv_loop_t* loop = nullptr;
    if (napi_get_uv_event_loop(env, &loop) != napi_ok || !loop) return;
    auto driver = std::make_shared<UvLoopDriver>(loop);
    if (!platform::MainQueue::shared().attachDriver(driver)) {
      driver->close();
      return;
    }
    auto* holder = new std::shared_ptr<UvLoopDriver>(driver);
    napi_add_env_cleanup_hook(
        env,
        [](void* data) {
          auto* held = static_cast<std::shared_ptr<UvLoopDriver>*>(data);
          platform::MainQueue::shared().detachDriver(held->get());
          (*held)->close();
          delete held;
        },
        holder);
  }

 private:
  struct PollWatch {
    uv_poll_t poll;
    // Shared so a callback that ends its own watch finishes running on a live function.
    std::shared_ptr<platform::FdCallback> callback;
    unsigned events = 0;
  };

  static void apply(PollWatch& watch, unsigned events, bool keepAlive) {
    auto* handle = reinterpret_cast<uv_handle_t*>(&watch.poll);
    if (events != watch.events) {
      watch.events = events;
      int uvEvents = 0;
      if (events & platform::kFdReadable) uvEvents |= UV_READABLE | UV_DISCONNECT;
      if (events & platform::kFdWritable) uvEvents |= UV_WRITABLE;
      if (uvEvents) {
        uv_poll_start(&watch.poll, uvEvents, &UvLoopDriver::onPoll);
      } else {
        uv_poll_stop(&watch.poll);
      }
    }
    if (keepAlive) {
      uv_ref(handle);
    } else {
      uv_unref(handle);
    }
  }

  static void closeWatch(PollWatch* watch) {
    watch->callback.reset();
    uv_close(reinterpret_cast<uv_handle_t*>(&watch->poll),
             [](uv_handle_t* handle) { delete static_cast<PollWatch*>(handle->data); });
  }

  static void onPoll(uv_poll_t* handle, int status, int uvEvents) {
    auto* watch = static_cast<PollWatch*>(handle->data);
    std::shared_ptr<platform::FdCallback> callback = watch->callback;
    if (!callback) return;
    unsigned events = 0;
    if (status < 0) {
      events = watch->events;
    } else {
      if (uvEvents & (UV_READABLE | UV_DISCONNECT)) events |= platform::kFdReadable;
      if (uvEvents & UV_WRITABLE) events |= platform::kFdWritable;
    }
    if (events) (*callback)(events);
  }

  // The check phase follows the I/O callbacks; a running idle handle keeps the loop from
  // waiting for I/O first when the callback was added outside them.
  void armTurnEnd() {
    uv_check_start(&handles_->check, &UvLoopDriver::onCheck);
    uv_idle_start(&handles_->idle, [](uv_idle_t*) {});
  }

  static void onCheck(uv_check_t* handle) {
    auto* driver = static_cast<UvLoopDriver*>(handle->data);
    // Held while callbacks run, whatever they detach.
    const auto keep = platform::MainQueue::shared().driver();
    uv_check_stop(&driver->handles_->check);
    uv_idle_stop(&driver->handles_->idle);
    // Bounded, so callbacks that keep adding callbacks cannot starve the loop: what is left
    // runs in the next turn.
    driver->checking_ = true;
    for (int round = 0; round < 8 && !driver->turnEnd_.empty(); ++round) {
      std::vector<std::function<void()>> batch;
      batch.swap(driver->turnEnd_);
      for (auto& callback : batch) {
        callback();
        if (driver->closed_) return;
      }
    }
    driver->checking_ = false;
    if (!driver->turnEnd_.empty()) driver->armTurnEnd();
  }

  struct Handles {
    uv_async_t async;
    uv_timer_t timer;
    uv_check_t check;
    uv_idle_t idle;
    int open = 4;
  };

  void close() {
    if (closed_) return;
    closed_ = true;
    for (auto& [id, watch] : watches_) closeWatch(watch);
    watches_.clear();
    // The handles outlive the driver until libuv has closed all of them.
    Handles* handles = handles_.release();
    handles->async.data = handles;
    handles->timer.data = handles;
    handles->check.data = handles;
    handles->idle.data = handles;
    auto onClosed = [](uv_handle_t* handle) {
      auto* owner = static_cast<Handles*>(handle->data);
      if (--owner->open == 0) delete owner;
    };
    uv_close(reinterpret_cast<uv_handle_t*>(&handles->timer), onClosed);
    uv_close(reinterpret_cast<uv_handle_t*>(&handles->async), onClosed);
    uv_close(reinterpret_cast<uv_handle_t*>(&handles->check), onClosed);
    uv_close(reinterpret_cast<uv_handle_t*>(&handles->idle), onClosed);
    turnEnd_.clear();
  }

  static void onWake(uv_async_t*) { platform::MainQueue::shared().drain(); }
  static void onTimer(uv_timer_t*) { platform::MainQueue::shared().drain(); }

  uv_loop_t* loop_;
  std::unique_ptr<Handles> handles_ = std::make_unique<Handles>();
  std::unordered_map<platform::FdWatchId, PollWatch*> watches_;
  platform::FdWatchId nextWatchId_ = 1;
  std::vector<std::function<void()>> turnEnd_;
  bool checking_ = false;
  bool closed_ = false;
};

}  // namespace velquarin::node
