#pragma once

#include <cstdint>
#include <optional>
#include <vector>

// Colours as the previous version kept them in its stores: a keyed archive (a binary property
// list of numbered objects) of one colour object.
namespace velquarin::platform::objectgraph {

struct Color {
  double red = 0;
  double green = 0;
  double blue = 0;
  double alpha = 1;

  // The desktop's accent blue, used where no colour was chosen.
  static Color systemBlue() { return {0.0, 122.0 / 255.0, 1.0, 1.0}; }
  bool operator==(const Color&) const = default;
};

// Archives bigger than this are not colours.
inline constexpr std::size_t kMaxColorArchiveBytes = 64u << 10;

// The colour of an archive: RGB, grey and CMYK colours, and named colours through the RGB
// colour archived beside the name. Components are clamped to 0...1. Nothing for anything
// else: bytes that are not an archive, references out of range, other kinds of objects.
std::optional<Color> unarchiveColor(const std::vector<std::uint8_t>& archive);

// The archive of an RGB colour; empty only when the property list cannot be written.
std::vector<std::uint8_t> archiveColor(const Color& color);

}  // namespace velquarin::platform::objectgraph
