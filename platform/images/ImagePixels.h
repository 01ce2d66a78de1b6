#pragma once

// The libvips side of Image and Canvas; not for code outside platform/images.

#include <vips/vips8>

namespace velquarin::platform {

struct ImagePixels {
  vips::VImage image;  // uchar sRGB, 3 bands (opaque) or 4 (straight alpha)
};

// Starts libvips once: loaders limited to the formats the module needs, no operation cache
// (a cached load would hide a file changed on disk).
void ensureVips();

// Converts any loaded image to uchar sRGB with 3 or 4 bands.
vips::VImage normalizedPixels(vips::VImage image);

}  // namespace velquarin::platform
