#pragma once

// How the status item looks on the desktop's panel: its icon as the pixmaps panels read, and
// host text made safe for the places panels show it.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "images/Image.h"
#include "images/ImageTypes.h"

namespace velquarin::platform {

// One square picture of the icon: ARGB32, four bytes a pixel in network byte order, top row
// first, straight alpha.
struct IconPixmap {
  int size = 0;
  std::vector<std::uint8_t> argb;
};

// The sizes panels pick from (a panel scales the nearest one).
inline constexpr int kIconPixmapSizes[] = {16, 22, 24, 32, 48};

// `image` fitted into each size, centred, aspect kept; with `templateColor` only its shape is
// drawn, in that colour. Empty when the image has no pixels.
std::vector<IconPixmap> makeIconPixmaps(const Image& image, const Color* templateColor);

// The colour a template icon takes on a panel of the desktop's current appearance.
Color panelTemplateColor();

// Valid UTF-8 (bad bytes become U+FFFD, as the bus refuses them) of at most `limit`
// characters; a longer text keeps its first `limit` followed by "...".
std::string plainPanelText(std::string_view text, std::size_t limit);

// A menu label: plain text in which "_" would mark a mnemonic, so each one is doubled.
std::string menuLabel(std::string_view text, std::size_t limit);

// Text for a tool tip's body, which panels may read as markup: <, > and & escaped.
std::string escapeMarkup(std::string_view text);

}  // namespace velquarin::platform
