#include "Defaults/ZqUserDefaults.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using velquarin::platform::PlistValue;

// Both tables are pinned end to end by tests/js/defaults.test.js; these are the stored reals
// a host cannot write itself.
TEST(ZqUserDefaultHostValue, RealsReadAsTheirBooleanOrAsInt32CutTowardsZero) {
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
  const struct {
    double stored;
    ZqUserDefaultOutput read;
  } cases[] = {
      {-0.0, false},
      {1.9, true},  // integer 1, non-zero
      {std::nan(""), std::int32_t{0}},
      {-1e300, kMin},
      {std::numeric_limits<double>::infinity(), kMax},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ZqUserDefaultHostValue(PlistValue(c.stored)), c.read) << c.stored;
  }
  // Beyond int32 an integer saturates: wrapping 2^32 + 1 would even read as true.
  EXPECT_EQ(ZqUserDefaultHostValue(PlistValue(std::int64_t{4294967297})), ZqUserDefaultOutput(kMax));
}
