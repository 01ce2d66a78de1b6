#include "Extensions/NSImage+ZqExtensions.h"

#include <cmath>

#include "images/Canvas.h"
#include "screen/Screen.h"

using velquarin::platform::Canvas;
using velquarin::platform::Color;
using velquarin::platform::CompositingOperation;
using velquarin::platform::Image;
using velquarin::platform::Rect;
using velquarin::platform::Screen;
using velquarin::platform::Size;

namespace {

bool usable(Size size) {
  return std::isfinite(size.width) && std::isfinite(size.height) && size.width > 0 &&
         size.height > 0;
}

}  // namespace

std::shared_ptr<Image> zq_scaleToSize(const std::shared_ptr<Image>& image, Size size) {
  if (!image || !usable(image->size()) || !usable(size)) return nullptr;
  const Size source = image->size();
  // Ratios compared in single precision, so nearly equal shapes count as equal.
  const float aspect = static_cast<float>(source.width / source.height);
  const float target = static_cast<float>(size.width / size.height);
  const Size drawn = aspect > target ? Size{size.width, size.width / aspect}
                                     : Size{aspect * size.height, size.height};
  Canvas canvas(size, Screen::backingScaleFactor());
  canvas.drawImage(*image, Rect{0, 0, drawn.width, drawn.height});
  return canvas.image();
}

std::shared_ptr<Image> zq_tintedImageWithColor(const std::shared_ptr<Image>& image, Color color) {
  if (!image) return nullptr;
  Canvas canvas(*image);
  canvas.fill(Rect{0, 0, image->size().width, image->size().height}, color,
              CompositingOperation::SourceAtop);
  return canvas.image();
}
