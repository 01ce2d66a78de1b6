#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace velquarin::platform {

// One key of the desktop's ANSI keyboard: its hardware key code, the Linux input (evdev)
// code of the key at the same place, and the DOM `code` a web framework reports for it.
struct KeyCode {
  std::uint16_t virtualKey;
  std::uint16_t evdev;
  std::string_view domCode;
  // What the key types whatever the layout (U+F700 and up for the desktop's function
  // keys); empty for keys whose character comes from the layout or that type nothing.
  std::string_view fixedCharacters;
  // Keys on the desktop's function and numeric-pad blocks carry those flags in their events.
  bool function = false;
  bool numericPad = false;
};

std::optional<KeyCode> keyCodeForVirtualKey(std::uint16_t virtualKey);
std::optional<KeyCode> keyCodeForDomCode(std::string_view domCode);
std::optional<KeyCode> keyCodeForEvdev(std::uint16_t evdev);

}  // namespace velquarin::platform
