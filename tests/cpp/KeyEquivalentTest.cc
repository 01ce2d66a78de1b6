#include <gtest/gtest.h>

#include "application/KeyEquivalent.h"
#include "keyboard/KeyboardLayout.h"

namespace {

using velquarin::platform::Event;
using velquarin::platform::EventType;
using velquarin::platform::KeyboardLayout;
using velquarin::platform::MenuItem;
namespace Flags = velquarin::platform::EventModifierFlags;

Event keyDown(std::string typed, std::uint64_t flags) {
  Event event;
  event.type = EventType::KeyDown;
  event.modifierFlags = flags;
  event.charactersIgnoringModifiers = std::move(typed);
  return event;
}

TEST(KeyEquivalent, MatchesAsTheDesktopDoes) {
  const auto left = std::string("\xef\x9c\x82");
  const struct {
    const char* key;
    std::uint64_t mask;
    std::string typed;
    std::uint64_t held;
    bool fires;
  } cases[] = {
      {"d", Flags::Command, "d", Flags::Command, true},
      {"d", Flags::Command, "D", Flags::Command | Flags::Shift, false},
      {"D", Flags::Command, "D", Flags::Command | Flags::Shift, true},
      {"D", Flags::Command, "d", Flags::Command, false},
      {"{", Flags::Command, "{", Flags::Command | Flags::Shift, true},
      {"{", Flags::Command | Flags::Shift, "{", Flags::Command, false},
      {"[", Flags::Command, "{", Flags::Command | Flags::Shift, false},
      {"d", Flags::Command | Flags::Option, "d", Flags::Command | Flags::Option, true},
      {"d", Flags::Command, "d", Flags::Command | Flags::Control, false},
      {"d", Flags::Command, "d", Flags::Command | Flags::CapsLock | Flags::Help, true},
      {left.c_str(), Flags::Command, left, Flags::Command | Flags::Function | Flags::NumericPad,
       true},
      {"", Flags::Command, "", Flags::Command, false},
  };
  for (const auto& each : cases) {
    MenuItem item("item", "act", each.key);
    item.setKeyEquivalentModifierMask(each.mask);
    EXPECT_EQ(matchesKeyEquivalent(item, keyDown(each.typed, each.held)), each.fires)
        << each.key << " against " << each.typed << " " << each.held;
  }
  MenuItem item("item", "act", "d");
  auto up = keyDown("d", Flags::Command);
  up.type = EventType::KeyUp;
  EXPECT_FALSE(matchesKeyEquivalent(item, up));
}

TEST(KeyboardLayout, RefusesNamesThatAreNotPlainWords) {
  const std::string tooLong(65, 'a');
  for (const auto& [layout, variant] : {std::pair{"", ""},
                                        {"../us", ""},
                                        {"us", "dv orak"},
                                        {"us,de", ""},
                                        {tooLong.c_str(), ""}}) {
    EXPECT_FALSE(KeyboardLayout::isValidName({layout, variant})) << layout << "/" << variant;
  }
  EXPECT_TRUE(KeyboardLayout::isValidName({"us", "dvorak-intl"}));
  EXPECT_FALSE(KeyboardLayout::charactersFor(52, 0)) << "no key has code 52";
}

}  // namespace
