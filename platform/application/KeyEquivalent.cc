#include "application/KeyEquivalent.h"

namespace velquarin::platform {
namespace {

constexpr std::uint64_t kKeyModifiers = EventModifierFlags::Command | EventModifierFlags::Option |
                                        EventModifierFlags::Control | EventModifierFlags::Shift;

bool isAsciiLetter(const std::string& text) {
  return text.size() == 1 &&
         ((text[0] >= 'a' && text[0] <= 'z') || (text[0] >= 'A' && text[0] <= 'Z'));
}

char lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

bool matchesKeyEquivalent(const MenuItem& item, const Event& event) {
  const auto& key = item.keyEquivalent();
  if (event.type != EventType::KeyDown || key.empty()) return false;
  const auto& typed = event.charactersIgnoringModifiers;
  std::uint64_t wanted = item.keyEquivalentModifierMask() & kKeyModifiers;
  const std::uint64_t held = event.modifierFlags & kKeyModifiers;
  if (isAsciiLetter(key)) {
    if (key[0] >= 'A' && key[0] <= 'Z') wanted |= EventModifierFlags::Shift;
    return typed.size() == 1 && lower(typed[0]) == lower(key[0]) && held == wanted;
  }
  if (typed != key) return false;
  // Shift that made the character is part of it; shift the item asks for must be held.
  const auto withoutShift = ~EventModifierFlags::Shift;
  return (held & withoutShift) == (wanted & withoutShift) &&
         (!(wanted & EventModifierFlags::Shift) || (held & EventModifierFlags::Shift));
}

}  // namespace velquarin::platform
