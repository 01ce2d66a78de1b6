#pragma once

#include "images/ImageTypes.h"

namespace velquarin::platform {

// The main screen. Its backing scale factor (pixels a point) is 1 unless the desktop (the
// platform binding) sets another.
class Screen {
 public:
  static double backingScaleFactor();
  // Finite factors from 1 to 16 are taken; returns false (and keeps the factor) otherwise.
  static bool setBackingScaleFactor(double factor);
  // The main screen's area in points, origin at its lower-left corner: 1920 x 1080 unless
  // the desktop sets another. Sizes from 1 to 100000 points are taken.
  static Rect mainFrame();
  static bool setMainFrame(Rect frame);
};

}  // namespace velquarin::platform
