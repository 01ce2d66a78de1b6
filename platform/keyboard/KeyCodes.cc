#include "keyboard/KeyCodes.h"

#include <linux/input-event-codes.h>

#include <algorithm>
#include <array>

namespace velquarin::platform {
namespace {

constexpr KeyCode kKeys[] = {
    {0, KEY_A, "KeyA", ""},
    {1, KEY_S, "KeyS", ""},
    {2, KEY_D, "KeyD", ""},
    {3, KEY_F, "KeyF", ""},
    {4, KEY_H, "KeyH", ""},
    {5, KEY_G, "KeyG", ""},
    {6, KEY_Z, "KeyZ", ""},
    {7, KEY_X, "KeyX", ""},
    {8, KEY_C, "KeyC", ""},
    {9, KEY_V, "KeyV", ""},
    {10, KEY_102ND, "IntlBackslash", ""},
    {11, KEY_B, "KeyB", ""},
    {12, KEY_Q, "KeyQ", ""},
    {13, KEY_W, "KeyW", ""},
    {14, KEY_E, "KeyE", ""},
    {15, KEY_R, "KeyR", ""},
    {16, KEY_Y, "KeyY", ""},
    {17, KEY_T, "KeyT", ""},
    {18, KEY_1, "Digit1", ""},
    {19, KEY_2, "Digit2", ""},
    {20, KEY_3, "Digit3", ""},
    {21, KEY_4, "Digit4", ""},
    {22, KEY_6, "Digit6", ""},
    {23, KEY_5, "Digit5", ""},
    {24, KEY_EQUAL, "Equal", ""},
    {25, KEY_9, "Digit9", ""},
    {26, KEY_7, "Digit7", ""},
    {27, KEY_MINUS, "Minus", ""},
    {28, KEY_8, "Digit8", ""},
    {29, KEY_0, "Digit0", ""},
    {30, KEY_RIGHTBRACE, "BracketRight", ""},
    {31, KEY_O, "KeyO", ""},
    {32, KEY_U, "KeyU", ""},
    {33, KEY_LEFTBRACE, "BracketLeft", ""},
    {34, KEY_I, "KeyI", ""},
    {35, KEY_P, "KeyP", ""},
    {36, KEY_ENTER, "Enter", "\r"},
    {37, KEY_L, "KeyL", ""},
    {38, KEY_J, "KeyJ", ""},
    {39, KEY_APOSTROPHE, "Quote", ""},
    {40, KEY_K, "KeyK", ""},
    {41, KEY_SEMICOLON, "Semicolon", ""},
    {42, KEY_BACKSLASH, "Backslash", ""},
    {43, KEY_COMMA, "Comma", ""},
    {44, KEY_SLASH, "Slash", ""},
    {45, KEY_N, "KeyN", ""},
    {46, KEY_M, "KeyM", ""},
    {47, KEY_DOT, "Period", ""},
    {48, KEY_TAB, "Tab", "\t"},
    {49, KEY_SPACE, "Space", " "},
    {50, KEY_GRAVE, "Backquote", ""},
    {51, KEY_BACKSPACE, "Backspace", "\x7f"},
    {53, KEY_ESC, "Escape", "\x1b"},
    {54, KEY_RIGHTMETA, "MetaRight", ""},
    {55, KEY_LEFTMETA, "MetaLeft", ""},
    {56, KEY_LEFTSHIFT, "ShiftLeft", ""},
    {57, KEY_CAPSLOCK, "CapsLock", ""},
    {58, KEY_LEFTALT, "AltLeft", ""},
    {59, KEY_LEFTCTRL, "ControlLeft", ""},
    {60, KEY_RIGHTSHIFT, "ShiftRight", ""},
    {61, KEY_RIGHTALT, "AltRight", ""},
    {62, KEY_RIGHTCTRL, "ControlRight", ""},
    {63, KEY_FN, "Fn", "", true},
    {64, KEY_F17, "F17", "\xef\x9c\x94", true},
    {65, KEY_KPDOT, "NumpadDecimal", "", false, true},
    {67, KEY_KPASTERISK, "NumpadMultiply", "", false, true},
    {69, KEY_KPPLUS, "NumpadAdd", "", false, true},
    {71, KEY_NUMLOCK, "NumLock", "\xef\x9c\xb9", false, true},
    {75, KEY_KPSLASH, "NumpadDivide", "", false, true},
    {76, KEY_KPENTER, "NumpadEnter", "\x03", false, true},
    {78, KEY_KPMINUS, "NumpadSubtract", "", false, true},
    {79, KEY_F18, "F18", "\xef\x9c\x95", true},
    {80, KEY_F19, "F19", "\xef\x9c\x96", true},
    {81, KEY_KPEQUAL, "NumpadEqual", "", false, true},
    {82, KEY_KP0, "Numpad0", "0", false, true},
    {83, KEY_KP1, "Numpad1", "1", false, true},
    {84, KEY_KP2, "Numpad2", "2", false, true},
    {85, KEY_KP3, "Numpad3", "3", false, true},
    {86, KEY_KP4, "Numpad4", "4", false, true},
    {87, KEY_KP5, "Numpad5", "5", false, true},
    {88, KEY_KP6, "Numpad6", "6", false, true},
    {89, KEY_KP7, "Numpad7", "7", false, true},
    {90, KEY_F20, "F20", "\xef\x9c\x97", true},
    {91, KEY_KP8, "Numpad8", "8", false, true},
    {92, KEY_KP9, "Numpad9", "9", false, true},
    {96, KEY_F5, "F5", "\xef\x9c\x88", true},
    {97, KEY_F6, "F6", "\xef\x9c\x89", true},
    {98, KEY_F7, "F7", "\xef\x9c\x8a", true},
    {99, KEY_F3, "F3", "\xef\x9c\x86", true},
    {100, KEY_F8, "F8", "\xef\x9c\x8b", true},
    {101, KEY_F9, "F9", "\xef\x9c\x8c", true},
    {103, KEY_F11, "F11", "\xef\x9c\x8e", true},
    {105, KEY_F13, "F13", "\xef\x9c\x90", true},
    {106, KEY_F16, "F16", "\xef\x9c\x93", true},
    {107, KEY_F14, "F14", "\xef\x9c\x91", true},
    {109, KEY_F10, "F10", "\xef\x9c\x8d", true},
    {111, KEY_F12, "F12", "\xef\x9c\x8f", true},
    {113, KEY_F15, "F15", "\xef\x9c\x92", true},
    {114, KEY_INSERT, "Insert", "\xef\x9c\xa7", true},
    {115, KEY_HOME, "Home", "\xef\x9c\xa9", true},
    {116, KEY_PAGEUP, "PageUp", "\xef\x9c\xac", true},
    {117, KEY_DELETE, "Delete", "\xef\x9c\xa8", true},
    {118, KEY_F4, "F4", "\xef\x9c\x87", true},
    {119, KEY_END, "End", "\xef\x9c\xab", true},
    {120, KEY_F2, "F2", "\xef\x9c\x85", true},
    {121, KEY_PAGEDOWN, "PageDown", "\xef\x9c\xad", true},
    {122, KEY_F1, "F1", "\xef\x9c\x84", true},
    {123, KEY_LEFT, "ArrowLeft", "\xef\x9c\x82", true, true},
    {124, KEY_RIGHT, "ArrowRight", "\xef\x9c\x83", true, true},
    {125, KEY_DOWN, "ArrowDown", "\xef\x9c\x81", true, true},
    {126, KEY_UP, "ArrowUp", "\xef\x9c\x80", true, true},
};

}  // namespace

std::optional<KeyCode> keyCodeForVirtualKey(std::uint16_t virtualKey) {
  const auto found = std::find_if(std::begin(kKeys), std::end(kKeys),
                                  [&](const KeyCode& key) { return key.virtualKey == virtualKey; });
  if (found == std::end(kKeys)) return std::nullopt;
  return *found;
}

std::optional<KeyCode> keyCodeForDomCode(std::string_view domCode) {
  const auto found = std::find_if(std::begin(kKeys), std::end(kKeys),
                                  [&](const KeyCode& key) { return key.domCode == domCode; });
  if (found == std::end(kKeys)) return std::nullopt;
  return *found;
}

std::optional<KeyCode> keyCodeForEvdev(std::uint16_t evdev) {
  const auto found = std::find_if(std::begin(kKeys), std::end(kKeys),
                                  [&](const KeyCode& key) { return key.evdev == evdev; });
  if (found == std::end(kKeys)) return std::nullopt;
  return *found;
}

}  // namespace velquarin::platform
