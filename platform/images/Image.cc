#include "images/Image.h"

#include <algorithm>
#include <filesystem>

namespace velquarin::platform {

namespace {

std::shared_ptr<Image> fromLoaded(ImageBackend::Loaded loaded, std::optional<std::string> path,
                                  ImageLoadError* error) {
  if (!loaded.pixels && loaded.error == ImageLoadError::None)
    loaded.error = ImageLoadError::Unreadable;
  if (error) *error = loaded.error;
  if (!loaded.pixels) return nullptr;
  const ImageBackend& backend = ImageBackend::loaded();
  const Size size{double(backend.pixelsWide(*loaded.pixels)),
                  double(backend.pixelsHigh(*loaded.pixels))};
  return std::make_shared<Image>(std::move(loaded.pixels), size, std::move(path));
}

}  // namespace

Image::Image(SharedPixels pixels, Size size, std::optional<std::string> path)
    : pixels_(std::move(pixels)), size_(size), path_(std::move(path)) {}

std::shared_ptr<Image> Image::fromFile(const std::string& path, ImageLoadError* error) {
  std::error_code ignored;
  const ImageBackend* backend = ImageBackend::get();
  if (!backend || !std::filesystem::is_regular_file(path, ignored)) {
    return fromLoaded({}, std::nullopt, error);
  }
  return fromLoaded(backend->loadFile(path), path, error);
}

std::shared_ptr<Image> Image::fromData(std::span<const std::uint8_t> data, ImageLoadError* error) {
  const ImageBackend* backend = data.empty() ? nullptr : ImageBackend::get();
  return fromLoaded(backend ? backend->loadData(data) : ImageBackend::Loaded{}, std::nullopt,
                    error);
}

std::shared_ptr<Image> Image::fromRGBA(int pixelsWide, int pixelsHigh,
                                       std::span<const std::uint8_t> rgba,
                                       std::optional<Size> size) {
  if (pixelsWide < 1 || pixelsHigh < 1 ||
      rgba.size() != std::size_t(pixelsWide) * std::size_t(pixelsHigh) * 4) {
    return nullptr;
  }
  const ImageBackend* backend = ImageBackend::get();
  auto pixels = backend ? backend->fromRGBA(pixelsWide, pixelsHigh, rgba) : nullptr;
  if (!pixels) return nullptr;
  return std::make_shared<Image>(
      std::move(pixels), size.value_or(Size{double(pixelsWide), double(pixelsHigh)}), std::nullopt);
}

int Image::pixelsWide() const {
  return ImageBackend::loaded().pixelsWide(*pixels_);
}

int Image::pixelsHigh() const {
  return ImageBackend::loaded().pixelsHigh(*pixels_);
}

bool Image::hasAlpha() const {
  return ImageBackend::loaded().hasAlpha(*pixels_);
}

std::shared_ptr<Image> Image::withSize(Size size) const {
  return std::make_shared<Image>(pixels_, size, path_);
}

std::vector<std::uint8_t> Image::rgbaPixels() const {
  return ImageBackend::loaded().rgbaPixels(*pixels_);
}

SharedPixels Image::resampled(int wide, int high) const {
  return ImageBackend::loaded().resampled(pixels_, path_, std::max(wide, 1), std::max(high, 1));
}

std::optional<std::vector<std::uint8_t>> Image::representation(
    BitmapFileType type, std::optional<double> compressionFactor) const {
  return ImageBackend::loaded().encoded(*pixels_, type, compressionFactor);
}

}  // namespace velquarin::platform
