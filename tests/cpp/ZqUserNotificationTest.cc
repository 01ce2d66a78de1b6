#include "Notifications/ZqUserNotification.h"

#include <gtest/gtest.h>

// The rest of the notification flow is pinned end to end by tests/js/notifications.test.js.
TEST(ZqDeliveryDate, ReadsLeadingSecondsAndNeverLandsInThePast) {
  const double now = 1'700'000'000.5;
  const struct {
    const char* text;
    double expected;
  } cases[] = {
      {"1800000000", 1800000000.0},
      {"  1800000000.75xyz", 1800000000.0},
      {"+1800000000", 1800000000.0},
      // Not after now: ten seconds from now.
      {"1700000000", now + 10},
      {"", now + 10},
      {"soon", now + 10},
      {"-99999999999999999999999", now + 10},
      {"1e12", now + 10},
      {"NaN", now + 10},
      // Out of range: held at the end of year 9999 instead of wrapping.
      {"99999999999999999999999999", 253402300799.0},
      {"9223372036854775807", 253402300799.0},
  };
  for (const auto& c : cases) EXPECT_EQ(ZqDeliveryDate(c.text, now), c.expected) << c.text;
}
