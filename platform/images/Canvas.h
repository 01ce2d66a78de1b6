#pragma once

#include <memory>

#include "images/Image.h"
#include "images/ImageTypes.h"

namespace velquarin::platform {

// An off-screen drawing surface measured in points with its origin at the lower-left corner;
// `scale` pixels a point. Drawing is clipped to the surface; rectangles snap to whole pixels
// and every drawn area keeps at least one pixel in each direction.
class Canvas {
 public:
  // A transparent surface of at least 1 x 1 pixel.
  Canvas(Size size, double scale);
  // A surface holding the pixels of `image`, at the image's own pixels a point.
  explicit Canvas(const Image& image);
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  int pixelsWide() const { return wide_; }
  int pixelsHigh() const { return high_; }

  // Draws all of `image` resampled into `destination`, source-over at full opacity.
  void drawImage(const Image& image, Rect destination);
  void fill(Rect rect, Color color, CompositingOperation operation);
  // What the surface holds now, as an image of the surface's size in points; null only when
  // the image libraries cannot be loaded.
  std::shared_ptr<Image> image() const;

 private:
  struct PixelRect {
    int x, y, width, height;  // from the top-left, as pixels are stored
  };
  PixelRect pixelRect(Rect rect) const;
  void composite(const ImageBackend& backend, const ImagePixels& overlay, PixelRect at,
                 CompositingOperation operation);

  Size size_;
  double scaleX_ = 1;
  double scaleY_ = 1;
  int wide_ = 1;
  int high_ = 1;
  SharedPixels content_;  // null while nothing has been drawn
};

}  // namespace velquarin::platform
