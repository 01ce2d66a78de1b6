#pragma once

// The main queue's driver on the host's libuv loop. Header-only and compiled into each
// add-on, so the platform library itself never links libuv: the first add-on to load
// attaches its driver, the other finds it attached.

#include <node_api.h>
#include <uv.h>

#include <cmath>
#include <memory>

#include "runloop/MainQueue.h"

namespace velquarin::node {

class UvLoopDriver final : public platform::LoopDriver {
 public:
  explicit UvLoopDriver(uv_loop_t* loop) {
    uv_async_init(loop, &handles_->async, &UvLoopDriver::onWake);
    uv_timer_init(loop, &handles_->timer);
    handles_->async.data = this;
    handles_->timer.data = this;
    // Long-lived handles must not keep the host alive on their own.
    uv_unref(reinterpret_cast<uv_handle_t*>(&handles_->async));
    uv_unref(reinterpret_cast<uv_handle_t*>(&handles_->timer));
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
  struct Handles {
    uv_async_t async;
    uv_timer_t timer;
    int open = 2;
  };

  void close() {
    if (closed_) return;
    closed_ = true;
    // The handles outlive the driver until libuv has closed both.
    Handles* handles = handles_.release();
    handles->async.data = handles;
    handles->timer.data = handles;
    auto onClosed = [](uv_handle_t* handle) {
      auto* owner = static_cast<Handles*>(handle->data);
      if (--owner->open == 0) delete owner;
    };
    uv_close(reinterpret_cast<uv_handle_t*>(&handles->timer), onClosed);
    uv_close(reinterpret_cast<uv_handle_t*>(&handles->async), onClosed);
  }

  static void onWake(uv_async_t*) { platform::MainQueue::shared().drain(); }
  static void onTimer(uv_timer_t*) { platform::MainQueue::shared().drain(); }

  std::unique_ptr<Handles> handles_ = std::make_unique<Handles>();
  bool closed_ = false;
};

}  // namespace velquarin::node
