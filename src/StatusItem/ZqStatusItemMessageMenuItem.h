#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "menus/MenuItem.h"

// One unread message's line: small text in the menu-bar font, cut after 60 characters.
class ZqStatusItemMessageMenuItem : public velquarin::platform::MenuItem {
 public:
  static constexpr std::size_t kMaxCharacters = 60;

  ZqStatusItemMessageMenuItem(std::string title, std::string action, std::string keyEquivalent);
};
