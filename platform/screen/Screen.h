#pragma once

namespace velquarin::platform {

// The main screen. Its backing scale factor (pixels a point) is 1 unless the desktop (the
// platform binding) sets another.
class Screen {
 public:
  static double backingScaleFactor();
  // Finite factors from 1 to 16 are taken; returns false (and keeps the factor) otherwise.
  static bool setBackingScaleFactor(double factor);
};

}  // namespace velquarin::platform
