#include "Shortcuts/MASShortcutValidator.h"

#include <glib.h>

#include <algorithm>
#include <array>

#include "application/Application.h"
#include "hotkeys/HotKeyCenter.h"

namespace Flags = velquarin::platform::EventModifierFlags;
using velquarin::platform::HotKeyCenter;
using velquarin::platform::Menu;

namespace {

constexpr std::array<std::uint64_t, 20> kFunctionKeys = {
    122, 120, 99, 118, 96, 97, 98, 100, 101, 109, 103, 111, 105, 107, 113, 106, 64, 79, 80, 90};
constexpr std::uint64_t kSpace = 49;
constexpr std::uint64_t kEscape = 53;

std::string lowerCased(const std::string& text) {
  gchar* lower = g_utf8_strdown(text.c_str(), -1);
  std::string result = lower ? lower : "";
  g_free(lower);
  return result;
}

}  // namespace

MASShortcutValidator& MASShortcutValidator::sharedValidator() {
  static auto* validator = new MASShortcutValidator();
  return *validator;
}

bool MASShortcutValidator::isShortcutValid(const MASShortcut& shortcut) const {
  const auto flags = shortcut.modifierFlags();
  if (std::count(kFunctionKeys.begin(), kFunctionKeys.end(), shortcut.keyCode())) return true;
  if (!(flags & MASShortcut::kModifierMask)) return false;
  if (flags & (Flags::Command | Flags::Control)) return true;
  if (flags & Flags::Option) {
    return shortcut.keyCode() == kSpace || shortcut.keyCode() == kEscape ||
           allowAnyShortcutWithOptionModifier;
  }
  return false;
}

bool MASShortcutValidator::isShortcutAlreadyTakenInMenu(const MASShortcut& shortcut,
                                                        const Menu& menu,
                                                        std::string* explanation) const {
  const auto form = shortcut.keyCodeStringForKeyEquivalent();
  // A key that has no key-equivalent form (an empty one) cannot collide with an item.
  if (form.empty()) return false;
  for (const auto& item : menu.items()) {
    if (item->submenu() && isShortcutAlreadyTakenInMenu(shortcut, *item->submenu(), explanation)) {
      return true;
    }
    const auto& equivalent = item->keyEquivalent();
    if (equivalent.empty() || lowerCased(equivalent) != form) continue;
    auto mask = item->keyEquivalentModifierMask();
    if (equivalent != form) mask |= Flags::Shift;  // an upper-case equivalent asks for shift
    if ((mask & MASShortcut::kModifierMask) != shortcut.modifierFlags()) continue;
    if (explanation) *explanation = "used-by:" + item->title();
    return true;
  }
  return false;
}

bool MASShortcutValidator::isShortcutAlreadyTakenBySystem(const MASShortcut& shortcut,
                                                          std::string* explanation) const {
  auto& center = HotKeyCenter::shared();
  const velquarin::platform::HotKeyCombination combination{
      static_cast<std::uint16_t>(shortcut.carbonKeyCode()), shortcut.carbonFlags()};
  const auto list = center.symbolicHotKeys();
  const bool listed = list && std::any_of(list->begin(), list->end(), [&](const auto& entry) {
                        return entry.enabled && entry.combination == combination;
                      });
  if (listed || (shortcut.keyCode() <= 0xffff && center.isTakenElsewhere(combination))) {
    if (explanation) *explanation = "used-system-wide";
    return true;
  }
  const auto menu = velquarin::platform::Application::shared().mainMenu();
  return menu && isShortcutAlreadyTakenInMenu(shortcut, *menu, explanation);
}
