#include "Utilities/ZqFormat.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

TEST(ZqFormat, ObjectConversionDescribesEachType) {
  nlohmann::json dict = {{"a", 1}};
  std::optional<std::string> missing;
  EXPECT_EQ(ZqFormat("Couldn't convert %@ to JSON because of %@", dict, "bad"),
            "Couldn't convert {\"a\":1} to JSON because of bad");
  EXPECT_EQ(ZqFormat("%@|%@|%@|%@", missing, true, 3.5, nlohmann::json("text")),
            "(null)|1|3.5|text");
}

TEST(ZqFormat, IntegerAndRealConversionsIgnoreLengthModifiers) {
  EXPECT_EQ(ZqFormat("%d %ld %lu %lld %zu %i", -1, 2L, 3UL, 4LL, std::size_t{5}, 6),
            "-1 2 3 4 5 6");
  EXPECT_EQ(ZqFormat("%.2f%%", 12.345), "12.35%");
  EXPECT_EQ(ZqFormat("[%5d][%-4@]", 42, "ab"), "[   42][ab  ]");
  EXPECT_EQ(ZqFormat("%x", 255u), "ff");
}

TEST(ZqFormat, PositionalArgumentsPickTheirIndex) {
  EXPECT_EQ(ZqFormat("%2$@ before %1$@", "one", "two"), "two before one");
}

TEST(ZqFormat, MissingArgumentsAndUnknownSequencesAreHarmless) {
  EXPECT_EQ(ZqFormat("%@ and %d and %s"), "(null) and (null) and (null)");
  EXPECT_EQ(ZqFormat("%k and %y", 1), "%k and %y");
  EXPECT_EQ(ZqFormat("%d", "not a number"), "not a number");
  // A huge width is capped instead of allocating without bound.
  EXPECT_LE(ZqFormat("%999999999d", 1).size(), 1024u);
}
