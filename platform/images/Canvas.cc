#include "images/Canvas.h"

#include <algorithm>
#include <cmath>

namespace velquarin::platform {

namespace {

int pixelsFor(double points, double scale) {
  const double pixels = std::round(points * scale);
  if (!std::isfinite(pixels) || pixels < 1) return 1;
  return pixels > 1e8 ? 100000000 : static_cast<int>(pixels);
}

long snap(double value) {
  if (!std::isfinite(value)) return 0;
  return std::lround(std::clamp(value, -1e9, 1e9));
}

double component(double value) {
  return std::isfinite(value) ? std::clamp(value, 0.0, 1.0) * 255.0 : 0.0;
}

}  // namespace

Canvas::Canvas(Size size, double scale) : size_(size) {
  if (!std::isfinite(scale) || scale <= 0) scale = 1;
  scaleX_ = scaleY_ = scale;
  wide_ = pixelsFor(size.width, scale);
  high_ = pixelsFor(size.height, scale);
}

Canvas::Canvas(const Image& image)
    : size_(image.size()), wide_(image.pixelsWide()), high_(image.pixelsHigh()) {
  scaleX_ = size_.width > 0 ? wide_ / size_.width : 1;
  scaleY_ = size_.height > 0 ? high_ / size_.height : 1;
  content_ = image.pixels();
}

Canvas::PixelRect Canvas::pixelRect(Rect rect) const {
  const long left = snap(rect.x * scaleX_);
  const long right = std::max(snap((rect.x + rect.width) * scaleX_), left + 1);
  const long bottom = snap(rect.y * scaleY_);
  const long top = std::max(snap((rect.y + rect.height) * scaleY_), bottom + 1);
  // Stored rows run from the top, so the lower-left origin flips here.
  const long width = std::min(right - left, 100000000L);
  const long height = std::min(top - bottom, 100000000L);
  return PixelRect{static_cast<int>(left), static_cast<int>(high_ - top), static_cast<int>(width),
                   static_cast<int>(height)};
}

void Canvas::composite(const ImageBackend& backend, const ImagePixels& overlay, PixelRect at,
                       CompositingOperation operation) {
  const SharedPixels base = content_ ? content_ : backend.transparent(wide_, high_);
  if (!base) return;
  // A failed combination leaves the surface as it was.
  if (auto result = backend.composite(*base, overlay, at.x, at.y, operation)) {
    content_ = std::move(result);
  }
}

void Canvas::drawImage(const Image& image, Rect destination) {
  const PixelRect at = pixelRect(destination);
  if (at.x >= wide_ || at.y >= high_ || at.x + at.width <= 0 || at.y + at.height <= 0) return;
  SharedPixels drawn = image.resampled(at.width, at.height);
  if (!drawn) return;  // nothing drawn
  // Covering an untouched surface: the drawing is the result, no blending needed.
  if (!content_ && at.x == 0 && at.y == 0 && at.width == wide_ && at.height == high_) {
    content_ = std::move(drawn);
    return;
  }
  composite(ImageBackend::loaded(), *drawn, at, CompositingOperation::SourceOver);
}

void Canvas::fill(Rect rect, Color color, CompositingOperation operation) {
  const PixelRect at = pixelRect(rect);
  const int left = std::max(at.x, 0);
  const int top = std::max(at.y, 0);
  const int right = std::min(at.x + at.width, wide_);
  const int bottom = std::min(at.y + at.height, high_);
  if (left >= right || top >= bottom) return;
  const ImageBackend* backend = ImageBackend::get();
  if (!backend) return;
  const Color paint{component(color.red), component(color.green), component(color.blue),
                    component(color.alpha)};
  if (auto block = backend->solid(right - left, bottom - top, paint)) {
    composite(*backend, *block, PixelRect{left, top, right - left, bottom - top}, operation);
  }
}

std::shared_ptr<Image> Canvas::image() const {
  SharedPixels pixels = content_;
  if (!pixels) {
    const ImageBackend* backend = ImageBackend::get();
    if (backend) pixels = backend->transparent(wide_, high_);
  }
  if (!pixels) return nullptr;
  return std::make_shared<Image>(std::move(pixels), size_, std::nullopt);
}

}  // namespace velquarin::platform
