#include "StatusItem/ZqStatusItemMessageMenuItem.h"

#include "StatusItem/ZqHostFormat.h"
#include "drawing/Graphics.h"

using velquarin::platform::AttributedTitle;
using velquarin::platform::Font;

ZqStatusItemMessageMenuItem::ZqStatusItemMessageMenuItem(std::string title, std::string action,
                                                         std::string keyEquivalent)
    : MenuItem({}, std::move(action), std::move(keyEquivalent)) {
  ZqTruncateCharactersInPlace(title, kMaxCharacters);
  setAttributedTitle(
      AttributedTitle{std::move(title), Font::menuBarFont(Font::kSmallSystemFontSize)});
}
