#include "screen/Screen.h"

#include <atomic>
#include <cmath>
#include <mutex>

namespace velquarin::platform {

namespace {
std::atomic<double> scaleFactor{1.0};
std::mutex frameMutex;
Rect mainScreenFrame{0, 0, 1920, 1080};

bool plausibleLength(double length) {
  return std::isfinite(length) && length >= 1 && length <= 100000;
}
}  // namespace

double Screen::backingScaleFactor() {
  return scaleFactor.load();
}

bool Screen::setBackingScaleFactor(double factor) {
  if (!std::isfinite(factor) || factor < 1 || factor > 16) return false;
  scaleFactor.store(factor);
  return true;
}

Rect Screen::mainFrame() {
  std::lock_guard lock(frameMutex);
  return mainScreenFrame;
}

bool Screen::setMainFrame(Rect frame) {
  if (!std::isfinite(frame.x) || !std::isfinite(frame.y) || !plausibleLength(frame.width) ||
      !plausibleLength(frame.height)) {
    return false;
  }
  std::lock_guard lock(frameMutex);
  mainScreenFrame = frame;
  return true;
}

}  // namespace velquarin::platform
