#include "keyboard/KeyboardLayout.h"

#include <linux/input-event-codes.h>
#include "x11/X11Library.h"

#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "application/EventModifierFlags.h"
#include "keyboard/KeyCodes.h"

namespace velquarin::platform {
namespace {

struct ContextFree {
  void operator()(xkb_context* context) const { x11().xkb_context_unref(context); }
};
struct KeymapFree {
  void operator()(xkb_keymap* keymap) const { x11().xkb_keymap_unref(keymap); }
};
struct StateFree {
  void operator()(xkb_state* state) const { x11().xkb_state_unref(state); }
};
using Context = std::unique_ptr<xkb_context, ContextFree>;
using Keymap = std::shared_ptr<xkb_keymap>;
using State = std::unique_ptr<xkb_state, StateFree>;

// XKB key codes are the evdev codes shifted by 8.
constexpr xkb_keycode_t kEvdevOffset = 8;
constexpr std::size_t kMaxNameLength = 64;

struct Layouts {
  std::mutex mutex;
  // Null when the library cannot be opened: no layout compiles then.
  Context context{X11Library::get() ? x11().xkb_context_new(XKB_CONTEXT_NO_ENVIRONMENT_NAMES)
                                    : nullptr};
  std::map<std::pair<std::string, std::string>, Keymap> keymaps;  // null: does not compile
  std::optional<KeyboardLayoutName> chosen;
};

Layouts& layouts() {
  static auto* shared = [] {
    auto* made = new Layouts();
    // A layout that does not compile is an answer (false), not a line on standard error.
    if (made->context) x11().xkb_context_set_log_level(made->context.get(), XKB_LOG_LEVEL_CRITICAL);
    return made;
  }();
  return *shared;
}

std::string firstOf(const std::string& list) {
  return list.substr(0, list.find(','));
}

std::string unquoted(std::string value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

KeyboardLayoutName systemLayout() {
  if (const char* layout = std::getenv("XKB_DEFAULT_LAYOUT"); layout && *layout) {
    const char* variant = std::getenv("XKB_DEFAULT_VARIANT");
    return {firstOf(layout), variant ? firstOf(variant) : ""};
  }
  KeyboardLayoutName name;
  std::ifstream file("/etc/default/keyboard");
  for (std::string line; std::getline(file, line);) {
    if (line.rfind("XKBLAYOUT=", 0) == 0) name.layout = firstOf(unquoted(line.substr(10)));
    if (line.rfind("XKBVARIANT=", 0) == 0) name.variant = firstOf(unquoted(line.substr(11)));
  }
  if (name.layout.empty()) return {"us", ""};
  return name;
}

// Caller holds the lock.
Keymap keymapFor(Layouts& shared, const KeyboardLayoutName& name) {
  const auto key = std::make_pair(name.layout, name.variant);
  if (auto found = shared.keymaps.find(key); found != shared.keymaps.end()) return found->second;
  Keymap keymap;
  if (shared.context && KeyboardLayout::isValidName(name)) {
    // Right option is the third-level shift, as option is on the desktop's layouts.
    const xkb_rule_names names{"evdev", "pc105", name.layout.c_str(), name.variant.c_str(),
                               "lv3:ralt_switch"};
    keymap.reset(
        x11().xkb_keymap_new_from_names(shared.context.get(), &names, XKB_KEYMAP_COMPILE_NO_FLAGS),
        KeymapFree());
  }
  shared.keymaps.emplace(key, keymap);
  return keymap;
}

// The text of the key with the modifier keys in `held` pressed.
std::string typed(xkb_keymap* keymap, std::uint16_t evdev, const std::vector<std::uint16_t>& held,
                  bool capsLock) {
  State state(x11().xkb_state_new(keymap));
  if (!state) return {};
  for (const auto modifier : held) {
    x11().xkb_state_update_key(state.get(), modifier + kEvdevOffset, XKB_KEY_DOWN);
  }
  if (capsLock) {
    x11().xkb_state_update_key(state.get(), KEY_CAPSLOCK + kEvdevOffset, XKB_KEY_DOWN);
    x11().xkb_state_update_key(state.get(), KEY_CAPSLOCK + kEvdevOffset, XKB_KEY_UP);
  }
  char buffer[64] = {};
  const int length =
      x11().xkb_state_key_get_utf8(state.get(), evdev + kEvdevOffset, buffer, sizeof buffer);
  if (length <= 0 || static_cast<std::size_t>(length) >= sizeof buffer) return {};
  return std::string(buffer, static_cast<std::size_t>(length));
}

// Dead keys type nothing alone; shortcuts name them by their spacing accents.
std::string spacingAccentOf(xkb_keysym_t keysym) {
  static const std::map<xkb_keysym_t, const char*> accents = {
      {XKB_KEY_dead_grave, "`"},
      {XKB_KEY_dead_acute, "\xc2\xb4"},
      {XKB_KEY_dead_circumflex, "^"},
      {XKB_KEY_dead_tilde, "~"},
      {XKB_KEY_dead_macron, "\xc2\xaf"},
      {XKB_KEY_dead_breve, "\xcb\x98"},
      {XKB_KEY_dead_abovedot, "\xcb\x99"},
      {XKB_KEY_dead_diaeresis, "\xc2\xa8"},
      {XKB_KEY_dead_abovering, "\xcb\x9a"},
      {XKB_KEY_dead_doubleacute, "\xcb\x9d"},
      {XKB_KEY_dead_caron, "\xcb\x87"},
      {XKB_KEY_dead_cedilla, "\xc2\xb8"},
      {XKB_KEY_dead_ogonek, "\xcb\x9b"},
  };
  const auto found = accents.find(keysym);
  return found == accents.end() ? std::string() : found->second;
}

// The first level of the first group: what the key types with no modifiers held.
std::string unmodified(xkb_keymap* keymap, std::uint16_t evdev) {
  const xkb_keysym_t* keysyms = nullptr;
  const int count =
      x11().xkb_keymap_key_get_syms_by_level(keymap, evdev + kEvdevOffset, 0, 0, &keysyms);
  if (count != 1) return {};
  if (auto accent = spacingAccentOf(keysyms[0]); !accent.empty()) return accent;
  char buffer[16] = {};
  const int length = x11().xkb_keysym_to_utf8(keysyms[0], buffer, sizeof buffer);
  return length > 1 ? std::string(buffer) : std::string();
}

bool typesAsciiLetters(xkb_keymap* keymap) {
  for (const auto key : {KEY_Q, KEY_A, KEY_Z}) {
    const auto text = unmodified(keymap, static_cast<std::uint16_t>(key));
    if (text.size() != 1 || text[0] < 'a' || text[0] > 'z') return false;
  }
  return true;
}

}  // namespace

std::string KeyboardLayout::unmodifiedCharactersFor(std::uint16_t keyCode) {
  const auto key = keyCodeForVirtualKey(keyCode);
  if (!key) return {};
  const auto name = current();
  auto& shared = layouts();
  std::lock_guard lock(shared.mutex);
  auto keymap = keymapFor(shared, name);
  if (!keymap || !typesAsciiLetters(keymap.get())) keymap = keymapFor(shared, {"us", ""});
  if (!keymap) return {};
  return unmodified(keymap.get(), key->evdev);
}

bool KeyboardLayout::isValidName(const KeyboardLayoutName& name) {
  const auto valid = [](const std::string& text, bool mayBeEmpty) {
    if (text.size() > kMaxNameLength || (text.empty() && !mayBeEmpty)) return false;
    for (const char c : text) {
      const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                      c == '_' || c == '-';
      if (!ok) return false;
    }
    return true;
  };
  return valid(name.layout, false) && valid(name.variant, true);
}

KeyboardLayoutName KeyboardLayout::current() {
  auto& shared = layouts();
  {
    std::lock_guard lock(shared.mutex);
    if (shared.chosen) return *shared.chosen;
  }
  return systemLayout();
}

bool KeyboardLayout::setCurrent(const KeyboardLayoutName& name) {
  auto& shared = layouts();
  std::lock_guard lock(shared.mutex);
  if (!keymapFor(shared, name)) return false;
  shared.chosen = name;
  return true;
}

void KeyboardLayout::resetCurrent() {
  auto& shared = layouts();
  std::lock_guard lock(shared.mutex);
  shared.chosen.reset();
}

std::optional<KeyCharacters> KeyboardLayout::charactersFor(std::uint16_t keyCode,
                                                           std::uint64_t modifierFlags) {
  const auto key = keyCodeForVirtualKey(keyCode);
  if (!key) return std::nullopt;
  if (!key->fixedCharacters.empty() || key->function) {
    const std::string fixed(key->fixedCharacters);
    return KeyCharacters{fixed, fixed};
  }
  const auto name = current();
  auto& shared = layouts();
  std::lock_guard lock(shared.mutex);
  const auto keymap = keymapFor(shared, name);
  if (!keymap) return std::nullopt;
  namespace Flags = EventModifierFlags;
  const bool shift = modifierFlags & Flags::Shift;
  std::vector<std::uint16_t> held;
  if (shift) held.push_back(KEY_LEFTSHIFT);
  KeyCharacters result;
  result.charactersIgnoringModifiers = typed(keymap.get(), key->evdev, held, false);
  if (modifierFlags & Flags::Option) held.push_back(KEY_RIGHTALT);
  if (modifierFlags & Flags::Control) held.push_back(KEY_LEFTCTRL);
  result.characters = typed(keymap.get(), key->evdev, held, modifierFlags & Flags::CapsLock);
  return result;
}

}  // namespace velquarin::platform
