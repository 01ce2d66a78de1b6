// libvelquarin-images.so: the image backend over libvips.

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>

#include "images/ImageBackend.h"
#include "images/vips/ImagePixels.h"

namespace velquarin::platform {

using vips::VError;
using vips::VImage;
using vips::VSource;

VImage normalizedPixels(VImage image) {
  if (image.interpretation() != VIPS_INTERPRETATION_sRGB || image.format() != VIPS_FORMAT_UCHAR) {
    try {
      image = image.colourspace(VIPS_INTERPRETATION_sRGB);
    } catch (const VError&) {
      vips_error_clear();  // no known colour space: take the values as they are
    }
  }
  if (image.format() != VIPS_FORMAT_UCHAR) image = image.cast(VIPS_FORMAT_UCHAR);
  if (image.bands() == 1) image = image.bandjoin({image, image});
  if (image.bands() == 2) {
    const VImage grey = image.extract_band(0);
    image = grey.bandjoin({grey, grey, image.extract_band(1)});
  }
  if (image.bands() > 4) image = image.extract_band(0, VImage::option()->set("n", 4));
  return image.copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
}

std::optional<VSource> fileSource(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  std::optional<VSource> source;
  try {
    source = VSource::new_from_descriptor(fd);  // keeps its own duplicate
  } catch (const VError&) {
    vips_error_clear();
  }
  ::close(fd);
  return source;
}

namespace {

SharedPixels shared(VImage image) {
  return std::make_shared<const ImagePixels>(ImagePixels{std::move(image)});
}

// Reads the header, checks the budget, and sets up (lazy) upright sRGB pixels.
ImageBackend::Loaded loadFrom(const VSource& source) {
  try {
    VImage image = VImage::new_from_source(source, "");
    const std::uint64_t pixels =
        std::uint64_t(std::max(image.width(), 0)) * std::uint64_t(std::max(image.height(), 0));
    if (pixels == 0) return {nullptr, ImageLoadError::Unreadable};
    if (pixels > kMaxImagePixels) return {nullptr, ImageLoadError::TooManyPixels};
    image = normalizedPixels(image.autorot());
    image.remove(VIPS_META_ORIENTATION);
    return {shared(image), ImageLoadError::None};
  } catch (const VError&) {
    vips_error_clear();
    return {nullptr, ImageLoadError::Unreadable};
  }
}

std::vector<std::uint8_t> takeBlob(VipsBlob* blob) {
  std::vector<std::uint8_t> bytes;
  if (!blob) return bytes;
  std::size_t length = 0;
  const void* data = vips_blob_get(blob, &length);
  bytes.assign(static_cast<const std::uint8_t*>(data),
               static_cast<const std::uint8_t*>(data) + length);
  vips_area_unref(VIPS_AREA(blob));
  return bytes;
}

int qualityOf(double factor) {
  return std::clamp(static_cast<int>(std::lround(factor * 100)), 1, 100);
}

VImage encodable(const VImage& image, BitmapFileType type) {
  // JPEG has no alpha: transparent areas become white.
  if (type != BitmapFileType::JPEG || image.bands() != 4) return image;
  return image.flatten(VImage::option()->set("background", std::vector<double>{255}))
      .cast(VIPS_FORMAT_UCHAR);
}

VipsBlob* encode(const VImage& image, BitmapFileType type, std::optional<double> factor) {
  switch (type) {
    case BitmapFileType::PNG:
      return image.pngsave_buffer(VImage::option()->set("strip", true));
    case BitmapFileType::JPEG:  // chroma 4:2:0 at every quality
      return image.jpegsave_buffer(VImage::option()
                                       ->set("Q", qualityOf(factor.value_or(0.9)))
                                       ->set("subsample_mode", VIPS_FOREIGN_SUBSAMPLE_ON)
                                       ->set("optimize_coding", true)
                                       ->set("interlace", false)
                                       ->set("strip", true));
    case BitmapFileType::GIF:
      return image.gifsave_buffer(VImage::option()->set("strip", true));
    case BitmapFileType::TIFF:
      return image.tiffsave_buffer(VImage::option()->set("strip", true));
    case BitmapFileType::JPEG2000: {
      auto options = VImage::option()->set("strip", true);
      if (factor && *factor < 1) {
        options->set("Q", qualityOf(*factor));
      } else {
        options->set("lossless", true);
      }
      return image.jp2ksave_buffer(options);
    }
    case BitmapFileType::BMP:
      return image.magicksave_buffer(VImage::option()->set("format", "bmp")->set("strip", true));
  }
  return nullptr;
}

VImage withAlpha(const VImage& image) {
  return image.bands() == 4 ? image : image.bandjoin_const({255});
}

VImage srgb(const VImage& image) {
  return image.cast(VIPS_FORMAT_UCHAR)
      .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
}

class VipsImageBackend final : public ImageBackend {
 public:
  // Loaders limited to the formats the module needs, no operation cache (a cached load
  // would hide a file changed on disk).
  VipsImageBackend() {
    vips_init("velquarin");
    vips_cache_set_max(0);
    // Every decoder is a parser of untrusted bytes: only those of the formats we need run.
    vips_operation_block_set("VipsForeignLoad", TRUE);
    for (const char* loader : {"VipsForeignLoadJpeg", "VipsForeignLoadPng", "VipsForeignLoadNsgif",
                               "VipsForeignLoadGif", "VipsForeignLoadTiff", "VipsForeignLoadWebp",
                               "VipsForeignLoadHeif", "VipsForeignLoadJp2k"}) {
      vips_operation_block_set(loader, FALSE);
    }
  }

  Loaded loadFile(const std::string& path) const override {
    auto source = fileSource(path);
    return source ? loadFrom(*source) : Loaded{};
  }

  Loaded loadData(std::span<const std::uint8_t> data) const override {
    VipsBlob* blob = vips_blob_copy(data.data(), data.size());
    try {
      VSource source = VSource::new_from_blob(blob);
      vips_area_unref(VIPS_AREA(blob));
      return loadFrom(source);
    } catch (const VError&) {
      vips_error_clear();
      vips_area_unref(VIPS_AREA(blob));
      return {};
    }
  }

  SharedPixels fromRGBA(int wide, int high, std::span<const std::uint8_t> rgba) const override {
    try {
      VipsImage* copy = vips_image_new_from_memory_copy(rgba.data(), rgba.size(), wide, high, 4,
                                                        VIPS_FORMAT_UCHAR);
      if (!copy) throw VError();
      // A new image nobody else holds: its interpretation is set in place rather than by a
      // copy operation, which costs more than the pixels of a menu badge.
      copy->Type = VIPS_INTERPRETATION_sRGB;
      return shared(VImage(copy));
    } catch (const VError&) {
      vips_error_clear();
      return nullptr;
    }
  }

  int pixelsWide(const ImagePixels& pixels) const override { return pixels.image.width(); }
  int pixelsHigh(const ImagePixels& pixels) const override { return pixels.image.height(); }
  bool hasAlpha(const ImagePixels& pixels) const override { return pixels.image.bands() == 4; }

  std::vector<std::uint8_t> rgbaPixels(const ImagePixels& pixels) const override {
    try {
      VImage image = pixels.image;
      if (image.bands() == 3) image = image.bandjoin_const({255});
      std::size_t length = 0;
      void* memory = image.write_to_memory(&length);
      std::vector<std::uint8_t> bytes(static_cast<std::uint8_t*>(memory),
                                      static_cast<std::uint8_t*>(memory) + length);
      g_free(memory);
      return bytes;
    } catch (const VError&) {
      vips_error_clear();
      return {};
    }
  }

  std::optional<std::vector<std::uint8_t>> encoded(const ImagePixels& pixels, BitmapFileType type,
                                                   std::optional<double> factor) const override {
    try {
      if (VipsBlob* blob = encode(encodable(pixels.image, type), type, factor)) {
        return takeBlob(blob);
      }
    } catch (const VError&) {
      vips_error_clear();
    }
    return std::nullopt;
  }

  SharedPixels resampled(const SharedPixels& pixels, const std::optional<std::string>& path,
                         int wide, int high) const override {
    const VImage& image = pixels->image;
    if (wide == image.width() && high == image.height()) return pixels;
    // The file again when shrinking: JPEG, WebP and HEIF can decode at a fraction of their size.
    if (path && wide <= image.width() && high <= image.height()) {
      try {
        if (auto out = reducedFromFile(*path, image, wide, high);
            out && out->width() == wide && out->height() == high) {
          VImage upright = normalizedPixels(*out);
          upright.remove(VIPS_META_ORIENTATION);
          return shared(upright);
        }
      } catch (const VError&) {
        vips_error_clear();
      }
    }
    try {
      return shared(normalizedPixels(image.thumbnail_image(
          wide, VImage::option()->set("height", high)->set("size", VIPS_SIZE_FORCE))));
    } catch (const VError&) {
      vips_error_clear();
      return nullptr;
    }
  }

  SharedPixels transparent(int wide, int high) const override {
    try {
      return shared(srgb(VImage::black(wide, high, VImage::option()->set("bands", 4))));
    } catch (const VError&) {
      vips_error_clear();
      return nullptr;
    }
  }

  SharedPixels solid(int wide, int high, const Color& color) const override {
    try {
      return shared(srgb(VImage::black(wide, high)
                             .new_from_image({color.red, color.green, color.blue, color.alpha})));
    } catch (const VError&) {
      vips_error_clear();
      return nullptr;
    }
  }

  SharedPixels composite(const ImagePixels& base, const ImagePixels& overlay, int x, int y,
                         CompositingOperation operation) const override {
    const VipsBlendMode mode =
        operation == CompositingOperation::SourceAtop ? VIPS_BLEND_MODE_ATOP : VIPS_BLEND_MODE_OVER;
    try {
      const VImage result =
          withAlpha(base.image)
              .composite2(overlay.image, mode, VImage::option()->set("x", x)->set("y", y));
      return shared(normalizedPixels(result));
    } catch (const VError&) {
      vips_error_clear();
      return nullptr;
    }
  }
};

}  // namespace

}  // namespace velquarin::platform

extern "C" __attribute__((visibility("default"))) const velquarin::platform::ImageBackend*
velquarin_image_backend() {
  static const velquarin::platform::VipsImageBackend backend;
  return &backend;
}
