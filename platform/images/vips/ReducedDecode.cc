#include <algorithm>
#include <cstdint>
#include <string_view>
#include <vector>

#include "images/ImageTypes.h"
#include "images/vips/ImagePixels.h"

namespace velquarin::platform {

using vips::VError;
using vips::VImage;
using vips::VSource;

namespace {

// A JPEG decoded at 1/2, 1/4 or 1/8 of its size (the largest that still leaves at least the
// target), made upright, then resampled (Lanczos 3) to exactly the target.
VImage jpegAtSize(const VSource& source, const VImage& upright, int wide, int high) {
  const double factor = std::min(double(upright.width()) / wide, double(upright.height()) / high);
  const int shrink = factor >= 8 ? 8 : factor >= 4 ? 4 : factor >= 2 ? 2 : 1;
  VImage image = VImage::jpegload_source(source, VImage::option()->set("shrink", shrink)).autorot();
  if (image.width() == wide && image.height() == high) return image;
  return image.resize(double(wide) / image.width(),
                      VImage::option()->set("vscale", double(high) / image.height()));
}

// Adds the premultiplied components of one row to the sums of its blocks; the last block may
// be narrower. The sums fit 32 bits up to 66051 pixels a block (255 * 255 each).
template <typename Sum>
void sumBlockRow(const std::uint8_t* row, int pixels, int blockWide, Sum* sums) {
  auto add = [](const std::uint8_t* pixel, Sum* sum) {
    const Sum a = pixel[3];
    sum[0] += pixel[0] * a;
    sum[1] += pixel[1] * a;
    sum[2] += pixel[2] * a;
    sum[3] += a;
  };
  int left = 0;
  if (blockWide == 2) {  // the usual case (a fit between a quarter and a sixth): kept simple
    for (; left + 2 <= pixels; left += 2, row += 8, sums += 4) {
      add(row, sums);
      add(row + 4, sums);
    }
  }
  for (; left < pixels; left += blockWide, sums += 4) {
    for (const std::uint8_t* end = row + 4 * std::min(blockWide, pixels - left); row < end;
         row += 4) {
      add(row, sums);
    }
  }
}

// Premultiplies and box-averages in one pass over the decoded rows, strip by strip, so the
// full-size picture is never held in memory. The blocks at the right and bottom edges may be
// smaller, so every source pixel counts once. The result is 16-bit: premultiplied components
// and alpha, both scaled by 256 (0 to 65280), which keeps the fractions the average makes.
template <typename Sum>
VImage premultipliedBoxShrink(const VImage& straight, int blockWide, int blockHigh) {
  const int sourceWide = straight.width();
  const int sourceHigh = straight.height();
  const int wide = (sourceWide + blockWide - 1) / blockWide;
  const int high = (sourceHigh + blockHigh - 1) / blockHigh;
  VipsImage* raw = vips_image_new_memory();
  vips_image_init_fields(raw, wide, high, 4, VIPS_FORMAT_USHORT, VIPS_CODING_NONE,
                         VIPS_INTERPRETATION_RGB16, 1.0, 1.0);
  VImage shrunk(raw);
  if (vips_image_write_prepare(raw) != 0) throw VError();

  std::vector<Sum> sums(std::size_t(wide) * 4);
  const vips::VRegion region = vips::VRegion::new_from_image(straight);
  // Strips of 16 rows from the top, as a sequential loader needs, whatever the block height:
  // a tall block never asks for its rows all at once.
  constexpr int kStrip = 16;
  for (int top = 0; top < sourceHigh; top += kStrip) {
    const int lines = std::min(kStrip, sourceHigh - top);
    region.prepare(0, top, sourceWide, lines);
    for (int y = top; y < top + lines; ++y) {
      if (y % blockHigh == 0) std::fill(sums.begin(), sums.end(), Sum(0));
      sumBlockRow(reinterpret_cast<const std::uint8_t*>(region.addr(0, y)), sourceWide, blockWide,
                  sums.data());
      if ((y + 1) % blockHigh != 0 && y + 1 != sourceHigh) continue;
      const int block = y / blockHigh;
      const int rows = y + 1 - block * blockHigh;
      auto* out = reinterpret_cast<std::uint16_t*>(VIPS_IMAGE_ADDR(raw, 0, block));
      // Averages scaled by 256, rounded; a double holds every sum exactly.
      const double full = 256.0 / (double(blockWide) * rows);
      for (int x = 0; x < wide; ++x) {
        const int columns = std::min(blockWide, sourceWide - x * blockWide);
        const double alphaScale = columns == blockWide ? full : 256.0 / (double(columns) * rows);
        const double colourScale = alphaScale / 255.0;
        const Sum* sum = &sums[std::size_t(x) * 4];
        for (int c = 0; c < 3; ++c) {
          out[4 * x + c] = std::uint16_t(double(sum[c]) * colourScale + 0.5);
        }
        out[4 * x + 3] = std::uint16_t(double(sum[3]) * alphaScale + 0.5);
      }
    }
  }
  return shrunk;
}

// Back from premultiplied 16-bit (scaled by 256) to straight 8-bit RGBA.
VImage unpremultiplied(const VImage& premultiplied) {
  const int wide = premultiplied.width();
  const int high = premultiplied.height();
  VipsImage* raw = vips_image_new_memory();
  vips_image_init_fields(raw, wide, high, 4, VIPS_FORMAT_UCHAR, VIPS_CODING_NONE,
                         VIPS_INTERPRETATION_sRGB, 1.0, 1.0);
  VImage straight(raw);
  if (vips_image_write_prepare(raw) != 0) throw VError();
  // Computed strip by strip on this thread: no worker threads to hand the pixels between.
  const vips::VRegion region = vips::VRegion::new_from_image(premultiplied);
  constexpr int kStrip = 32;
  for (int top = 0; top < high; top += kStrip) {
    const int rows = std::min(kStrip, high - top);
    region.prepare(0, top, wide, rows);
    for (int y = top; y < top + rows; ++y) {
      const auto* in = reinterpret_cast<const std::uint16_t*>(region.addr(0, y));
      auto* out = reinterpret_cast<std::uint8_t*>(VIPS_IMAGE_ADDR(raw, 0, y));
      for (int i = 0; i < 4 * wide; i += 4) {
        const std::uint32_t alpha = in[i + 3];
        out[i + 3] = std::uint8_t(std::min<std::uint32_t>(255, (alpha + 128) / 256));
        for (int c = 0; c < 3; ++c) {
          // Nothing left to show is transparent black.
          const std::uint32_t value = out[i + 3] ? (in[i + c] * 255u + alpha / 2) / alpha : 0;
          out[i + c] = std::uint8_t(std::min<std::uint32_t>(255, value));
        }
      }
    }
  }
  return straight;
}

// A picture with straight alpha shrunk to exactly wide x high: whole-block averages of the
// premultiplied pixels down to at least twice the target, then Lanczos 3 for the rest, as a
// thumbnailer does, but without a float copy of every pixel. Nullopt when the picture is not
// 8-bit RGBA upright or the shrink is too small for blocks to pay.
std::optional<VImage> straightAlphaAtSize(const VSource& source, int wide, int high) {
  VImage image =
      VImage::new_from_source(source, "", VImage::option()->set("access", VIPS_ACCESS_SEQUENTIAL));
  // The header is read again here: a file rewritten meanwhile is not decoded at all.
  if (std::uint64_t(image.width()) * std::uint64_t(image.height()) > kMaxImagePixels) {
    throw VError("the picture has more pixels than allowed");
  }
  if (image.bands() != 4 || image.format() != VIPS_FORMAT_UCHAR ||
      image.interpretation() != VIPS_INTERPRETATION_sRGB ||
      (image.get_typeof(VIPS_META_ORIENTATION) != 0 && image.get_int(VIPS_META_ORIENTATION) > 1)) {
    return std::nullopt;
  }
  const int blockWide = std::max(1, image.width() / (2 * wide));
  const int blockHigh = std::max(1, image.height() / (2 * high));
  if (blockWide * blockHigh < 2) return std::nullopt;
  const bool wideSums = std::uint64_t(blockWide) * std::uint64_t(blockHigh) > 66051;
  const VImage shrunk = wideSums
                            ? premultipliedBoxShrink<std::uint64_t>(image, blockWide, blockHigh)
                            : premultipliedBoxShrink<std::uint32_t>(image, blockWide, blockHigh);
  // As the thumbnailer does: an edge block counts as a whole one, off by under a pixel.
  VImage reduced = shrunk;
  if (shrunk.width() != wide || shrunk.height() != high) {
    reduced = shrunk.reduce(double(shrunk.width()) / wide, double(shrunk.height()) / high,
                            VImage::option()->set("kernel", VIPS_KERNEL_LANCZOS3));
  }
  if (reduced.width() != wide || reduced.height() != high) return std::nullopt;
  return unpremultiplied(reduced);
}

}  // namespace

std::optional<VImage> reducedFromFile(const std::string& path, const VImage& image, int wide,
                                      int high) {
  auto source = fileSource(path);
  if (!source) return std::nullopt;
  const VImage header = VImage::new_from_source(*source, "");
  // Only the file we measured: a changed file is not decoded behind the budget check.
  if (std::uint64_t(header.width()) * std::uint64_t(header.height()) !=
      std::uint64_t(image.width()) * std::uint64_t(image.height())) {
    return std::nullopt;
  }
  const char* found = vips_foreign_find_load_source(source->get_source());
  const std::string_view loader = found ? found : "";
  std::optional<VImage> shrunk;
  if (loader == "VipsForeignLoadJpegSource") {
    shrunk = jpegAtSize(*source, image, wide, high);
  } else if (loader == "VipsForeignLoadPngSource" && image.bands() == 4) {
    shrunk = straightAlphaAtSize(*source, wide, high);
  }
  if (shrunk) return shrunk;
  return VImage::thumbnail_source(
      *source, wide, VImage::option()->set("height", high)->set("size", VIPS_SIZE_FORCE));
}

}  // namespace velquarin::platform
