#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "images/Image.h"
#include "tray/TrayPresentation.h"

using velquarin::platform::Color;
using velquarin::platform::escapeMarkup;
using velquarin::platform::Image;
using velquarin::platform::makeIconPixmaps;
using velquarin::platform::menuLabel;
using velquarin::platform::plainPanelText;

// Host text becomes what the bus accepts and panels show as it is.
TEST(TrayPresentation, TextForThePanel) {
  struct Case {
    std::string input;
    std::size_t limit;
    std::string plain;
    std::string label;
  };
  const std::vector<Case> cases = {
      {"3 new", 60, "3 new", "3 new"},
      {"a_b__c", 60, "a_b__c", "a__b____c"},
      {"abcdef", 3, "abc...", "abc..."},
      {"abc", 3, "abc", "abc"},
      // Characters, not bytes: the cut never splits one.
      {"\xC3\xA9\xC3\xA9\xC3\xA9", 2, "\xC3\xA9\xC3\xA9...", "\xC3\xA9\xC3\xA9..."},
      // Bad bytes, an overlong form and a surrogate each become U+FFFD.
      {"a\xFF"
       "b",
       60,
       "a\xEF\xBF\xBD"
       "b",
       "a\xEF\xBF\xBD"
       "b"},
      {"\xC0\xAF", 60, "\xEF\xBF\xBD\xEF\xBF\xBD", "\xEF\xBF\xBD\xEF\xBF\xBD"},
      {"\xED\xA0\x80", 60, "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD",
       "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
      {"\xE2\x82", 60, "\xEF\xBF\xBD\xEF\xBF\xBD", "\xEF\xBF\xBD\xEF\xBF\xBD"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(plainPanelText(c.input, c.limit), c.plain) << c.input;
    EXPECT_EQ(menuLabel(c.input, c.limit), c.label) << c.input;
  }
  EXPECT_EQ(escapeMarkup("<b>Tom & Jerry</b>"), "&lt;b&gt;Tom &amp; Jerry&lt;/b&gt;");
}

// ARGB in network order at every size, the picture centred, the template's colour applied.
TEST(TrayPresentation, IconPixmaps) {
  // 4 x 2 points: opaque red on the left half, transparent on the right.
  std::vector<std::uint8_t> rgba;
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 4; ++x) {
      const bool left = x < 2;
      rgba.insert(rgba.end(), {255, 0, 0, static_cast<std::uint8_t>(left ? 255 : 0)});
    }
  }
  const auto image = Image::fromRGBA(4, 2, rgba);
  ASSERT_TRUE(image);
  const Color blue{0, 0, 1, 1};
  for (const Color* tint : {static_cast<const Color*>(nullptr), &blue}) {
    const auto pixmaps = makeIconPixmaps(*image, tint);
    std::vector<int> sizes;
    for (const auto& pixmap : pixmaps) sizes.push_back(pixmap.size);
    ASSERT_EQ(sizes, (std::vector<int>{16, 22, 24, 32, 48}));
    for (const auto& pixmap : pixmaps) {
      const int n = pixmap.size;
      ASSERT_EQ(pixmap.argb.size(), static_cast<std::size_t>(n * n * 4));
      const auto at = [&](int x, int y) { return &pixmap.argb[(y * n + x) * 4]; };
      // Centred: empty above and below the 2:1 picture, filled at the left middle.
      EXPECT_EQ(at(n / 4, 1)[0], 0) << n;
      const std::uint8_t* inside = at(n / 4, n / 2);
      EXPECT_EQ(inside[0], 255) << n;
      EXPECT_EQ(inside[1], tint ? 0 : 255) << n;
      EXPECT_EQ(inside[3], tint ? 255 : 0) << n;
      EXPECT_EQ(at(3 * n / 4, n / 2)[0], 0) << n;
    }
  }
  // A picture far wider than high still fills every size, without failing on a sub-pixel height.
  const std::vector<std::uint8_t> line(3000 * 4, 255);
  const auto wide = Image::fromRGBA(3000, 1, line);
  ASSERT_TRUE(wide);
  EXPECT_EQ(makeIconPixmaps(*wide, nullptr).size(), 5u);
}
