#include "runloop/Clock.h"

#include <atomic>
#include <chrono>

#include "runloop/MainQueue.h"

namespace velquarin::platform {
namespace {
std::atomic<double>& clockOffset() {
  static std::atomic<double> offset{0.0};
  return offset;
}
}  // namespace

double Clock::now() {
  using namespace std::chrono;
  const double real = duration<double>(system_clock::now().time_since_epoch()).count();
  return real + clockOffset().load();
}

double Clock::offset() {
  return clockOffset().load();
}

void Clock::advance(double seconds) {
  if (!(seconds > 0)) return;  // also rejects NaN
  double current = clockOffset().load();
  while (!clockOffset().compare_exchange_weak(current, current + seconds)) {
  }
  MainQueue::shared().clockChanged();
}

}  // namespace velquarin::platform
