#include "images/Image.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <mutex>
#include <string_view>

#include "images/ImagePixels.h"

namespace velquarin::platform {

using vips::VError;
using vips::VImage;
using vips::VSource;

void ensureVips() {
  static std::once_flag once;
  std::call_once(once, [] {
    vips_init("velquarin");
    vips_cache_set_max(0);
    // Every decoder is a parser of untrusted bytes: only those of the formats we need run.
    vips_operation_block_set("VipsForeignLoad", TRUE);
    for (const char* loader : {"VipsForeignLoadJpeg", "VipsForeignLoadPng", "VipsForeignLoadNsgif",
                               "VipsForeignLoadGif", "VipsForeignLoadTiff", "VipsForeignLoadWebp",
                               "VipsForeignLoadHeif", "VipsForeignLoadJp2k"}) {
      vips_operation_block_set(loader, FALSE);
    }
  });
}

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

namespace {

void fail(ImageLoadError* error, ImageLoadError value) {
  if (error) *error = value;
}

// Reads the header, checks the budget, and sets up (lazy) upright sRGB pixels.
std::shared_ptr<Image> loadFrom(const VSource& source, std::optional<std::string> path,
                                ImageLoadError* error) {
  try {
    VImage image = VImage::new_from_source(source, "");
    const std::uint64_t pixels =
        std::uint64_t(std::max(image.width(), 0)) * std::uint64_t(std::max(image.height(), 0));
    if (pixels == 0) {
      fail(error, ImageLoadError::Unreadable);
      return nullptr;
    }
    if (pixels > kMaxImagePixels) {
      fail(error, ImageLoadError::TooManyPixels);
      return nullptr;
    }
    image = normalizedPixels(image.autorot());
    image.remove(VIPS_META_ORIENTATION);
    fail(error, ImageLoadError::None);
    const Size size{double(image.width()), double(image.height())};
    return std::make_shared<Image>(std::make_shared<ImagePixels>(ImagePixels{image}), size,
                                   std::move(path));
  } catch (const VError&) {
    vips_error_clear();
    fail(error, ImageLoadError::Unreadable);
    return nullptr;
  }
}

// A source over an open descriptor: the path is never parsed for loader options.
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

int qualityOf(double factor) {
  return std::clamp(static_cast<int>(std::lround(factor * 100)), 1, 100);
}

}  // namespace

Image::Image(std::shared_ptr<const ImagePixels> pixels, Size size, std::optional<std::string> path)
    : pixels_(std::move(pixels)), size_(size), path_(std::move(path)) {}

std::shared_ptr<Image> Image::fromFile(const std::string& path, ImageLoadError* error) {
  ensureVips();
  std::error_code ignored;
  if (!std::filesystem::is_regular_file(path, ignored)) {
    fail(error, ImageLoadError::Unreadable);
    return nullptr;
  }
  auto source = fileSource(path);
  if (!source) {
    fail(error, ImageLoadError::Unreadable);
    return nullptr;
  }
  return loadFrom(*source, path, error);
}

std::shared_ptr<Image> Image::fromData(std::span<const std::uint8_t> data, ImageLoadError* error) {
  ensureVips();
  if (data.empty()) {
    fail(error, ImageLoadError::Unreadable);
    return nullptr;
  }
  VipsBlob* blob = vips_blob_copy(data.data(), data.size());
  try {
    VSource source = VSource::new_from_blob(blob);
    vips_area_unref(VIPS_AREA(blob));
    return loadFrom(source, std::nullopt, error);
  } catch (const VError&) {
    vips_error_clear();
    vips_area_unref(VIPS_AREA(blob));
    fail(error, ImageLoadError::Unreadable);
    return nullptr;
  }
}

std::shared_ptr<Image> Image::fromRGBA(int pixelsWide, int pixelsHigh,
                                       std::span<const std::uint8_t> rgba,
                                       std::optional<Size> size) {
  ensureVips();
  if (pixelsWide < 1 || pixelsHigh < 1 ||
      rgba.size() != std::size_t(pixelsWide) * std::size_t(pixelsHigh) * 4) {
    return nullptr;
  }
  try {
    VipsImage* copy = vips_image_new_from_memory_copy(rgba.data(), rgba.size(), pixelsWide,
                                                      pixelsHigh, 4, VIPS_FORMAT_UCHAR);
    if (!copy) throw VError();
    VImage image =
        VImage(copy).copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
    return std::make_shared<Image>(std::make_shared<ImagePixels>(ImagePixels{image}),
                                   size.value_or(Size{double(pixelsWide), double(pixelsHigh)}),
                                   std::nullopt);
  } catch (const VError&) {
    vips_error_clear();
    return nullptr;
  }
}

int Image::pixelsWide() const {
  return pixels_->image.width();
}

int Image::pixelsHigh() const {
  return pixels_->image.height();
}

bool Image::hasAlpha() const {
  return pixels_->image.bands() == 4;
}

std::shared_ptr<Image> Image::withSize(Size size) const {
  return std::make_shared<Image>(pixels_, size, path_);
}

std::vector<std::uint8_t> Image::rgbaPixels() const {
  try {
    VImage image = pixels_->image;
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

ImagePixels Image::resampled(int wide, int high) const {
  wide = std::max(wide, 1);
  high = std::max(high, 1);
  const VImage& image = pixels_->image;
  if (wide == image.width() && high == image.height()) return *pixels_;
  // The file again when shrinking: JPEG, WebP and HEIF can decode at a fraction of their size.
  if (path_ && wide <= image.width() && high <= image.height()) {
    try {
      if (auto source = fileSource(*path_)) {
        const VImage header = VImage::new_from_source(*source, "");
        // Only the file we measured: a changed file is not decoded behind the budget check.
        if (std::uint64_t(header.width()) * std::uint64_t(header.height()) ==
            std::uint64_t(image.width()) * std::uint64_t(image.height())) {
          const char* loader = vips_foreign_find_load_source(source->get_source());
          VImage out =
              loader && std::string_view(loader) == "VipsForeignLoadJpegSource"
                  ? jpegAtSize(*source, image, wide, high)
                  : VImage::thumbnail_source(
                        *source, wide,
                        VImage::option()->set("height", high)->set("size", VIPS_SIZE_FORCE));
          if (out.width() == wide && out.height() == high) {
            out = normalizedPixels(out);
            out.remove(VIPS_META_ORIENTATION);
            return ImagePixels{out};
          }
        }
      }
    } catch (const VError&) {
      vips_error_clear();
    }
  }
  VImage out = image.thumbnail_image(
      wide, VImage::option()->set("height", high)->set("size", VIPS_SIZE_FORCE));
  return ImagePixels{normalizedPixels(out)};
}

std::optional<std::vector<std::uint8_t>> Image::representation(
    BitmapFileType type, std::optional<double> compressionFactor) const {
  try {
    const VImage& image = pixels_->image;
    switch (type) {
      case BitmapFileType::PNG:
        return takeBlob(image.pngsave_buffer(VImage::option()->set("strip", true)));
      case BitmapFileType::JPEG: {
        // JPEG has no alpha: transparent areas become white. Chroma 4:2:0 at every quality.
        const VImage opaque =
            image.bands() == 4
                ? image.flatten(VImage::option()->set("background", std::vector<double>{255}))
                : image;
        return takeBlob(
            opaque.cast(VIPS_FORMAT_UCHAR)
                .jpegsave_buffer(VImage::option()
                                     ->set("Q", qualityOf(compressionFactor.value_or(0.9)))
                                     ->set("subsample_mode", VIPS_FOREIGN_SUBSAMPLE_ON)
                                     ->set("optimize_coding", true)
                                     ->set("interlace", false)
                                     ->set("strip", true)));
      }
      case BitmapFileType::GIF:
        return takeBlob(image.gifsave_buffer(VImage::option()->set("strip", true)));
      case BitmapFileType::TIFF:
        return takeBlob(image.tiffsave_buffer(VImage::option()->set("strip", true)));
      case BitmapFileType::JPEG2000: {
        auto options = VImage::option()->set("strip", true);
        if (compressionFactor && *compressionFactor < 1) {
          options->set("Q", qualityOf(*compressionFactor));
        } else {
          options->set("lossless", true);
        }
        return takeBlob(image.jp2ksave_buffer(options));
      }
      case BitmapFileType::BMP:
        return takeBlob(
            image.magicksave_buffer(VImage::option()->set("format", "bmp")->set("strip", true)));
    }
  } catch (const VError&) {
    vips_error_clear();
  }
  return std::nullopt;
}

}  // namespace velquarin::platform
