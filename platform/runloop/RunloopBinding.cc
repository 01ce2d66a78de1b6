#include <cmath>

#include "binding/BindingRegistry.h"
#include "runloop/BackgroundQueue.h"
#include "runloop/Clock.h"
#include "runloop/MainQueue.h"

namespace velquarin::binding {
namespace {

using platform::BackgroundQueue;
using platform::Clock;
using platform::MainQueue;

// drainMainQueue(): runs queued main-queue work and due timers now; returns how many ran.
Napi::Value drainMainQueue(const Napi::CallbackInfo& info) {
  return Napi::Number::New(info.Env(), static_cast<double>(MainQueue::shared().drain()));
}

// advanceClock(seconds): moves the platform clock forward and fires the timers now due.
Napi::Value advanceClock(const Napi::CallbackInfo& info) {
  if (failIf(info.Env(), info.Length() < 1 || !info[0].IsNumber(), "advanceClock(seconds)")) {
    return {};
  }
  const double seconds = info[0].As<Napi::Number>().DoubleValue();
  if (failIf(info.Env(), !std::isfinite(seconds) || seconds < 0,
             "advanceClock: seconds must be a finite number >= 0")) {
    return {};
  }
  Clock::advance(seconds);
  MainQueue::shared().drain();
  return Napi::Number::New(info.Env(), Clock::now());
}

// now(): the platform clock in seconds since the Unix epoch.
Napi::Value now(const Napi::CallbackInfo& info) {
  return Napi::Number::New(info.Env(), Clock::now());
}

// waitForBackgroundWork(seconds): waits until the background queue has nothing queued or
// running, then runs the main-queue work it left; false when it was still busy at the end.
Napi::Value waitForBackgroundWork(const Napi::CallbackInfo& info) {
  const double seconds = info[0].IsNumber() ? info[0].As<Napi::Number>().DoubleValue() : 0;
  if (failIf(info.Env(), !std::isfinite(seconds) || seconds < 0 || seconds > 600,
             "waitForBackgroundWork(seconds): a number from 0 to 600")) {
    return {};
  }
  const bool idle = BackgroundQueue::shared().waitUntilIdle(seconds);
  MainQueue::shared().drain();
  return Napi::Boolean::New(info.Env(), idle);
}

Napi::Value pendingTimers(const Napi::CallbackInfo& info) {
  return Napi::Number::New(info.Env(), static_cast<double>(MainQueue::shared().pendingTimers()));
}

void install(Napi::Env, Napi::Object exports) {
  exportFunction(exports, "drainMainQueue", drainMainQueue);
  exportFunction(exports, "advanceClock", advanceClock);
  exportFunction(exports, "now", now);
  exportFunction(exports, "pendingTimers", pendingTimers);
  exportFunction(exports, "waitForBackgroundWork", waitForBackgroundWork);
}

const Registrar registrar(install);

}  // namespace
}  // namespace velquarin::binding
