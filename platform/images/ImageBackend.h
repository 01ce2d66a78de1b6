#pragma once

// The boundary between Image/Canvas and the image libraries. Those libraries (and the ~100
// they depend on) live in libvelquarin-images.so, beside the platform library, which is
// opened the first time an image is made: a process that never reads or writes an image
// never maps them.

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "images/ImageTypes.h"

namespace velquarin::platform {

struct ImagePixels;  // defined by the backend; immutable once made
using SharedPixels = std::shared_ptr<const ImagePixels>;

// Every call reports failure by an empty result and never throws.
class ImageBackend {
 public:
  struct Loaded {
    SharedPixels pixels;
    ImageLoadError error = ImageLoadError::Unreadable;
  };

  // The backend, opened on the first call; null (logged once) when it cannot be opened.
  static const ImageBackend* get();
  // The backend of pixels that exist: opened already, since only it makes them.
  static const ImageBackend& loaded();

  virtual ~ImageBackend() = default;

  virtual Loaded loadFile(const std::string& path) const = 0;
  virtual Loaded loadData(std::span<const std::uint8_t> data) const = 0;
  virtual SharedPixels fromRGBA(int wide, int high, std::span<const std::uint8_t> rgba) const = 0;

  virtual int pixelsWide(const ImagePixels& pixels) const = 0;
  virtual int pixelsHigh(const ImagePixels& pixels) const = 0;
  virtual bool hasAlpha(const ImagePixels& pixels) const = 0;
  virtual std::vector<std::uint8_t> rgbaPixels(const ImagePixels& pixels) const = 0;
  virtual std::optional<std::vector<std::uint8_t>> encoded(
      const ImagePixels& pixels, BitmapFileType type,
      std::optional<double> compressionFactor) const = 0;
  // Exactly wide x high; `path`, where the pixels came from, allows a reduced decode.
  virtual SharedPixels resampled(const SharedPixels& pixels, const std::optional<std::string>& path,
                                 int wide, int high) const = 0;

  virtual SharedPixels transparent(int wide, int high) const = 0;
  // A wide x high block of one colour, components from 0 to 255.
  virtual SharedPixels solid(int wide, int high, const Color& color) const = 0;
  // `overlay` combined onto `base` with its top-left corner at (x, y), in base pixels.
  virtual SharedPixels composite(const ImagePixels& base, const ImagePixels& overlay, int x, int y,
                                 CompositingOperation operation) const = 0;
};

// The one function libvelquarin-images.so exports, by this name, with C linkage.
inline constexpr char kImageBackendEntry[] = "velquarin_image_backend";

}  // namespace velquarin::platform
