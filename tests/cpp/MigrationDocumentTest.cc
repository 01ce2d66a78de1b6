#include <gtest/gtest.h>

#include "Migration/ZqGrowingText.h"

// The document's text itself is pinned end to end by tests/js/migration.test.js.
TEST(MigrationDocument, GrowingTextKeepsEveryByte) {
  ZqGrowingText text;
  EXPECT_EQ(text.view(), "");
  std::string expected;
  // Pieces of odd sizes across several growths, one larger than the whole buffer so far.
  for (int i = 0; i < 3000; ++i) {
    const std::string piece(static_cast<std::size_t>(i % 97), static_cast<char>('a' + i % 26));
    text += piece;
    text += ',';
    expected += piece;
    expected += ',';
  }
  const std::string large(1 << 20, 'x');
  text += large;
  expected += large;
  EXPECT_EQ(text.size(), expected.size());
  EXPECT_EQ(text.view(), expected);
  ZqGrowingText moved = std::move(text);
  EXPECT_EQ(moved.view(), expected);
}
