#pragma once

#include <functional>
#include <memory>
#include <string>

#include "hotkeys/HotKeyCenter.h"

namespace velquarin::platform {

// Hot keys as key grabs on the root window of an X display, on a connection of their own
// whose socket the main loop watches (without keeping the host alive).
using HotKeyPress = std::function<void(const HotKeyCombination&)>;

// Null (with the reason) when the display cannot be reached.
std::unique_ptr<HotKeyBackend> openX11HotKeys(const char* display, HotKeyPress press,
                                              std::string* why);

}  // namespace velquarin::platform
