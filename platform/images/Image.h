#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "images/ImageBackend.h"
#include "images/ImageTypes.h"

namespace velquarin::platform {

// An immutable picture: its size in points and its pixels (8-bit sRGB, with or without an
// alpha channel, upright: an EXIF orientation is applied when loading and not kept).
// Decoding is lazy; loading reads only the header and refuses formats other than JPEG,
// PNG, GIF, TIFF, WebP, HEIF and JPEG 2000, and anything over kMaxImagePixels. Every way of
// making one fails (null) when the image libraries cannot be loaded.
class Image {
 public:
  static std::shared_ptr<Image> fromFile(const std::string& path, ImageLoadError* error = nullptr);
  static std::shared_ptr<Image> fromData(std::span<const std::uint8_t> data,
                                         ImageLoadError* error = nullptr);
  // Straight (not premultiplied) RGBA, 4 bytes a pixel, top row first. Null when the byte
  // count does not match or a side is below 1. The size in points defaults to the pixels.
  static std::shared_ptr<Image> fromRGBA(int pixelsWide, int pixelsHigh,
                                         std::span<const std::uint8_t> rgba,
                                         std::optional<Size> size = std::nullopt);

  Size size() const { return size_; }
  int pixelsWide() const;
  int pixelsHigh() const;
  bool hasAlpha() const;

  // The same pixels with another size in points.
  std::shared_ptr<Image> withSize(Size size) const;
  // Straight RGBA of every pixel, top row first; empty when the pixels cannot be decoded.
  std::vector<std::uint8_t> rgbaPixels() const;
  // The pixels encoded as `type`. The compression factor (0 to 1) sets the quality of the
  // lossy types; without one JPEG uses 0.9 and JPEG 2000 is lossless. Metadata is not written.
  std::optional<std::vector<std::uint8_t>> representation(
      BitmapFileType type, std::optional<double> compressionFactor = std::nullopt) const;

  // For the drawing code: the decoded pixels, and the pixels resampled to exactly the given
  // size (high quality; a file is decoded at a reduced size where its format allows).
  const SharedPixels& pixels() const { return pixels_; }
  SharedPixels resampled(int pixelsWide, int pixelsHigh) const;

  Image(SharedPixels pixels, Size size, std::optional<std::string> path);

 private:
  SharedPixels pixels_;  // never null
  Size size_;
  std::optional<std::string> path_;  // where the pixels came from, for reduced decoding
};

}  // namespace velquarin::platform
