#include "tray/TrayPresentation.h"

#include <algorithm>

#include "appearance/Appearance.h"
#include "drawing/Graphics.h"

namespace velquarin::platform {

std::vector<IconPixmap> makeIconPixmaps(const Image& image, const Color* templateColor) {
  std::vector<IconPixmap> pixmaps;
  const Size natural = image.size();
  if (!(natural.width > 0) || !(natural.height > 0)) return pixmaps;
  for (const int size : kIconPixmapSizes) {
    const double side = size;
    const double scale = std::min(side / natural.width, side / natural.height);
    const double wide = natural.width * scale;
    const double high = natural.height * scale;
    Graphics graphics(Size{side, side}, 1);
    graphics.drawImage(image, Rect{(side - wide) / 2, (side - high) / 2, wide, high},
                       templateColor);
    const auto drawn = graphics.image();
    const auto rgba = drawn ? drawn->rgbaPixels() : std::vector<std::uint8_t>();
    if (rgba.size() != static_cast<std::size_t>(size) * size * 4) return {};
    IconPixmap pixmap{size, std::vector<std::uint8_t>(rgba.size())};
    for (std::size_t i = 0; i < rgba.size(); i += 4) {
      pixmap.argb[i] = rgba[i + 3];
      pixmap.argb[i + 1] = rgba[i];
      pixmap.argb[i + 2] = rgba[i + 1];
      pixmap.argb[i + 3] = rgba[i + 2];
    }
    pixmaps.push_back(std::move(pixmap));
  }
  return pixmaps;
}

Color panelTemplateColor() {
  // Panels follow the desktop's appearance: light shapes on a dark one and the reverse.
  return Appearance::current() == AppearanceStyle::Dark ? Color{1, 1, 1, 0.92}
                                                        : Color{0, 0, 0, 0.88};
}

namespace {

// The length of the UTF-8 sequence starting at `text[i]`, 0 when it is not a valid one.
std::size_t sequenceLength(std::string_view text, std::size_t i) {
  const auto byte = [&](std::size_t at) { return static_cast<unsigned char>(text[at]); };
  const unsigned char lead = byte(i);
  std::size_t length = 0;
  std::uint32_t point = 0;
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    point = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    point = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    point = lead & 0x07;
  } else {
    return 0;
  }
  if (i + length > text.size()) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
    point = (point << 6) | (byte(i + k) & 0x3F);
  }
  const bool overlong = (length == 3 && point < 0x800) || (length == 4 && point < 0x10000);
  const bool surrogate = point >= 0xD800 && point <= 0xDFFF;
  if (overlong || surrogate || point > 0x10FFFF) return 0;
  return length;
}

}  // namespace

std::string plainPanelText(std::string_view text, std::size_t limit) {
  std::string result;
  std::size_t characters = 0;
  for (std::size_t i = 0; i < text.size();) {
    if (characters == limit) return result + "...";
    const std::size_t length = sequenceLength(text, i);
    if (length == 0) {
      result += "\xEF\xBF\xBD";
      ++i;
    } else {
      result.append(text.substr(i, length));
      i += length;
    }
    ++characters;
  }
  return result;
}

std::string menuLabel(std::string_view text, std::size_t limit) {
  std::string result;
  for (const char c : plainPanelText(text, limit)) {
    result += c;
    if (c == '_') result += '_';
  }
  return result;
}

std::string escapeMarkup(std::string_view text) {
  std::string result;
  for (const char c : text) {
    switch (c) {
      case '<':
        result += "&lt;";
        break;
      case '>':
        result += "&gt;";
        break;
      case '&':
        result += "&amp;";
        break;
      default:
        result += c;
    }
  }
  return result;
}

}  // namespace velquarin::platform
