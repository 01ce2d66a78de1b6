#include "StatusItem/ZqStatusItemMessageMenuItem.h"

#include "StatusItem/ZqHostFormat.h"
#include "drawing/Graphics.h"

using velquarin::platform::AttributedTitle;
using velquarin::platform::Font;

ZqStatusItemMessageMenuItem::ZqStatusItemMessageMenuItem(std::string_view title, std::string action,
                                                         std::string keyEquivalent)
    : MenuItem({}, std::move(action), std::move(keyEquivalent)) {
  setAttributedTitle(AttributedTitle{ZqTruncateCharacters(title, kMaxCharacters),
                                     Font::menuBarFont(Font::kSmallSystemFontSize)});
}
