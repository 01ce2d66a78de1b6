#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace velquarin::platform {

// An XKB layout and variant ("us" and "dvorak"); names are letters, digits, '_' and '-'.
struct KeyboardLayoutName {
  std::string layout;
  std::string variant;
  bool operator==(const KeyboardLayoutName&) const = default;
};

// What a key types on a layout, as the desktop's key events carry it.
struct KeyCharacters {
  // With shift, option (the layout's third level), control and caps lock applied.
  std::string characters;
  // With shift alone.
  std::string charactersIgnoringModifiers;
};

// The keyboard layout keys are typed on, through libxkbcommon: XKB keymaps compiled from the
// installed xkb-data (no display needed), each compiled once. Thread-safe.
class KeyboardLayout {
 public:
  // The layout set last, else the system's (XKB_DEFAULT_LAYOUT and XKB_DEFAULT_VARIANT,
  // then /etc/default/keyboard), else "us".
  static KeyboardLayoutName current();
  // False, and nothing changed, for a bad name or a layout that does not compile.
  static bool setCurrent(const KeyboardLayoutName& name);
  // Back to the system's layout.
  static void resetCurrent();

  // What the key with this hardware key code types with these modifier flags on the current
  // layout; empty for an unknown key code or a layout that does not compile.
  static std::optional<KeyCharacters> charactersFor(std::uint16_t keyCode,
                                                    std::uint64_t modifierFlags);

  // What the key is called in shortcuts: what it types with no modifiers on the current
  // layout, or on "us" when that layout's letter keys do not type ASCII letters; a dead key
  // gives its spacing accent. Empty for an unknown key code or a key that types nothing.
  static std::string unmodifiedCharactersFor(std::uint16_t keyCode);

  static bool isValidName(const KeyboardLayoutName& name);
};

}  // namespace velquarin::platform
