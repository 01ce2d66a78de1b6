#pragma once

#include <string>

#include "menus/MenuItem.h"

// A line in small menu-bar text, shown whole (the sign-in line under an account).
class ZqStatusItemSmallMenuItem : public velquarin::platform::MenuItem {
 public:
  ZqStatusItemSmallMenuItem(std::string title, std::string action, std::string keyEquivalent);
};
