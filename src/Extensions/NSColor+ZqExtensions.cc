#include "Extensions/NSColor+ZqExtensions.h"

#include <cctype>
#include <cstdint>

velquarin::platform::Color zq_colorWithHexColorString(std::string_view text) {
  std::size_t at = 0;
  while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
  if (text.size() - at > 2 && text[at] == '0' && (text[at + 1] == 'x' || text[at + 1] == 'X') &&
      std::isxdigit(static_cast<unsigned char>(text[at + 2]))) {
    at += 2;
  }
  std::uint64_t value = 0;
  for (; at < text.size() && std::isxdigit(static_cast<unsigned char>(text[at])); ++at) {
    const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(text[at])));
    value = value * 16 + static_cast<std::uint64_t>(c <= '9' ? c - '0' : c - 'a' + 10);
    if (value > 0xFFFFFFFFull) value = 0xFFFFFFFFull;  // stays there, as the scanner does
  }
  const auto number = static_cast<std::uint32_t>(value);
  return velquarin::platform::Color{((number >> 16) & 0xFF) / 255.0, ((number >> 8) & 0xFF) / 255.0,
                                    (number & 0xFF) / 255.0, 1.0};
}
