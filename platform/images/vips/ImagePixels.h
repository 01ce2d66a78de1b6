#pragma once

// The libvips side of the image backend; only for code in libvelquarin-images.so.

#include <vips/vips8>

#include <optional>
#include <string>

namespace velquarin::platform {

struct ImagePixels {
  vips::VImage image;  // uchar sRGB, 3 bands (opaque) or 4 (straight alpha)
};

// Converts any loaded image to uchar sRGB with 3 or 4 bands.
vips::VImage normalizedPixels(vips::VImage image);

// A source over an open descriptor: the path is never parsed for loader options.
std::optional<vips::VSource> fileSource(const std::string& path);

// The file at `path` decoded at exactly wide x high where its format allows a reduced decode
// (JPEG at a fraction, PNG with alpha by blocks), else by the thumbnailer; nullopt when the
// file no longer matches `image`'s pixel count. Throws vips::VError.
std::optional<vips::VImage> reducedFromFile(const std::string& path, const vips::VImage& image,
                                            int wide, int high);

}  // namespace velquarin::platform
