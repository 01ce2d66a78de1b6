#include "screen/Screen.h"

#include <atomic>
#include <cmath>

namespace velquarin::platform {

namespace {
std::atomic<double> scaleFactor{1.0};
}

double Screen::backingScaleFactor() {
  return scaleFactor.load();
}

bool Screen::setBackingScaleFactor(double factor) {
  if (!std::isfinite(factor) || factor < 1 || factor > 16) return false;
  scaleFactor.store(factor);
  return true;
}

}  // namespace velquarin::platform
