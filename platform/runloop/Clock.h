#pragma once

namespace velquarin::platform {

// Wall-clock time in seconds since the Unix epoch, plus an offset that tests and the
// platform binding can advance. Every platform timer and time stamp reads this clock.
class Clock {
 public:
  static double now();
  static double offset();
  // Moves the clock forward (never backward) and fires the timers that became due.
  static void advance(double seconds);
};

}  // namespace velquarin::platform
