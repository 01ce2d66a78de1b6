#include "StatusItem/ZqStatusItemSmallMenuItem.h"

#include "drawing/Graphics.h"

using velquarin::platform::AttributedTitle;
using velquarin::platform::Font;

ZqStatusItemSmallMenuItem::ZqStatusItemSmallMenuItem(std::string title, std::string action,
                                                     std::string keyEquivalent)
    : MenuItem({}, std::move(action), std::move(keyEquivalent)) {
  setAttributedTitle(
      AttributedTitle{std::move(title), Font::menuBarFont(Font::kSmallSystemFontSize)});
}
