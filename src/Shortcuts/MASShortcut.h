#pragma once

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "application/Event.h"

// A keyboard shortcut: a hardware key code with the shift, control, option and command bits.
class MASShortcut {
 public:
  // The key code of a shortcut without a key.
  static constexpr std::uint64_t kNotFound =
      static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
  static constexpr std::uint64_t kModifierMask =
      (1ull << 17) | (1ull << 18) | (1ull << 19) | (1ull << 20);
  // Archives bigger than this are not shortcuts.
  static constexpr std::size_t kMaxArchiveBytes = 64u << 10;

  MASShortcut(std::uint64_t keyCode, std::uint64_t modifierFlags)
      : keyCode_(keyCode), modifierFlags_(modifierFlags & kModifierMask) {}
  static MASShortcut shortcutWithEvent(const velquarin::platform::Event& event) {
    return MASShortcut(event.keyCode, event.modifierFlags);
  }

  std::uint64_t keyCode() const { return keyCode_; }
  std::uint64_t modifierFlags() const { return modifierFlags_; }
  bool hasKey() const { return keyCode_ != kNotFound; }
  bool operator==(const MASShortcut& other) const = default;
  auto operator<=>(const MASShortcut& other) const = default;
  std::uint64_t hash() const { return keyCode_ + modifierFlags_; }

  std::uint32_t carbonKeyCode() const;
  std::uint32_t carbonFlags() const;
  std::string modifierFlagsString() const;
  std::string keyCodeString() const;
  std::string keyCodeStringForKeyEquivalent() const;
  std::string description() const { return modifierFlagsString() + keyCodeString(); }

  // The keyed archive stored in user defaults; empty only when it cannot be written.
  std::vector<std::uint8_t> archive() const;
  // Nothing for anything but the archive of one shortcut.
  static std::optional<MASShortcut> unarchive(const std::vector<std::uint8_t>& data);

 private:
  std::uint64_t keyCode_;
  std::uint64_t modifierFlags_;
};

// A text of the recorder's string table ("XXX" when it has none).
std::string MASLocalizedString(const std::string& key);
