#pragma once

#include <cstdint>

namespace velquarin::platform {

// Lengths and positions in points; the origin of a drawing surface is its lower-left corner.
struct Size {
  double width = 0;
  double height = 0;
};

struct Rect {
  double x = 0;
  double y = 0;
  double width = 0;
  double height = 0;
};

// A colour in calibrated RGB, each component from 0 to 1.
struct Color {
  double red = 0;
  double green = 0;
  double blue = 0;
  double alpha = 1;
};

// The bitmap file types by their platform numbers.
enum class BitmapFileType : unsigned long {
  TIFF = 0,
  BMP = 1,
  GIF = 2,
  JPEG = 3,
  PNG = 4,
  JPEG2000 = 5,
};

// How drawing combines new pixels (source) with what is there (destination).
enum class CompositingOperation {
  SourceOver = 2,
  SourceAtop = 5,
};

// Images with more pixels than this are refused from their header, before any decoding:
// the limit the usual image libraries apply (16383 x 16383).
inline constexpr std::uint64_t kMaxImagePixels = 0x3FFFull * 0x3FFFull;

enum class ImageLoadError {
  None,
  Unreadable,     // missing, not a file, or no allowed decoder recognises it
  TooManyPixels,  // the header claims more than kMaxImagePixels
};

}  // namespace velquarin::platform
