#include <gtest/gtest.h>

#include "Shortcuts/MASDictionaryTransformer.h"
#include "Shortcuts/MASShortcut.h"

using velquarin::platform::PlistDictionary;
using velquarin::platform::PlistValue;

namespace {

constexpr std::uint64_t kShift = 1ull << 17, kOption = 1ull << 19, kCommand = 1ull << 20;

TEST(MASShortcut, KeepsOnlyModifierBitsAndMapsThemToHotKeyBits) {
  const MASShortcut shortcut(40, kCommand | kShift | kOption | (1ull << 16) | (1ull << 23) | 7);
  EXPECT_EQ(shortcut.modifierFlags(), kCommand | kShift | kOption);
  EXPECT_EQ(shortcut.carbonFlags(), 0x100u | 0x200u | 0x800u);
  EXPECT_EQ(shortcut.hash(), 40 + shortcut.modifierFlags());
  EXPECT_EQ(MASShortcut(MASShortcut::kNotFound, 0).carbonKeyCode(), 0u);
}

TEST(MASShortcut, KeyEquivalentFormsOfMultiCharacterNames) {
  const std::pair<std::uint64_t, std::string> cases[] = {
      {122, "\uF704"}, {80, "\uF716"}, {36, "\u21a9"}, {53, "\u238b"}, {90, ""}, {115, "\u2196"},
  };
  for (const auto& [keyCode, form] : cases) {
    EXPECT_EQ(MASShortcut(keyCode, kCommand).keyCodeStringForKeyEquivalent(), form) << keyCode;
  }
}

TEST(MASShortcut, NoKeyRoundTripsThroughTheArchive) {
  const MASShortcut none(MASShortcut::kNotFound, kCommand);
  const auto again = MASShortcut::unarchive(none.archive());
  ASSERT_TRUE(again);
  EXPECT_EQ(*again, none);
  EXPECT_FALSE(MASShortcut::unarchive({}));
}

TEST(MASDictionaryTransformer, BothEntriesMustBeNumbers) {
  const MASShortcut shortcut(12, kCommand);
  const PlistValue dictionary(MASDictionaryTransformer::transformedValue(shortcut));
  EXPECT_EQ(MASDictionaryTransformer::reverseTransformedValue(dictionary), shortcut);
  EXPECT_TRUE(MASDictionaryTransformer::transformedValue(std::nullopt).empty());
  const PlistValue missing(PlistDictionary{{"keyCode", PlistValue(12)}});
  const PlistValue text(PlistDictionary{{"keyCode", PlistValue("12")}, {"modifierFlags", 0}});
  EXPECT_FALSE(MASDictionaryTransformer::reverseTransformedValue(missing));
  EXPECT_FALSE(MASDictionaryTransformer::reverseTransformedValue(text));
  EXPECT_FALSE(MASDictionaryTransformer::reverseTransformedValue(PlistValue(5)));
}

}  // namespace
