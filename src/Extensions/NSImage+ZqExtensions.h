#pragma once

#include <memory>

#include "images/Image.h"
#include "images/ImageTypes.h"

// The image fitted into a new transparent image of exactly `size` points (at the screen's
// scale), keeping its aspect ratio and anchored at the lower-left corner. Null for an empty
// image or size.
std::shared_ptr<velquarin::platform::Image> zq_scaleToSize(
    const std::shared_ptr<velquarin::platform::Image>& image, velquarin::platform::Size size);

// A copy of the image whose opaque pixels take `color` (source-atop): the alpha stays.
std::shared_ptr<velquarin::platform::Image> zq_tintedImageWithColor(
    const std::shared_ptr<velquarin::platform::Image>& image, velquarin::platform::Color color);
