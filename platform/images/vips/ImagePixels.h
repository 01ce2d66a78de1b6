#pragma once

// The libvips side of the image backend; only for code in libvelquarin-images.so.

#include <vips/vips8>

#include <functional>
#include <mutex>
#include <optional>
#include <string>

namespace velquarin::platform {

// Pixels as uchar sRGB, 3 bands (opaque) or 4 (straight alpha). They may be a pipeline that
// reads its file once, front to back (a shrink that never holds the whole picture): its first
// reader evaluates it, and every later one gets the pixels it kept.
class ImagePixels {
 public:
  explicit ImagePixels(vips::VImage image, bool readOnce = false)
      : header_(image), image_(std::move(image)), readOnce_(readOnce) {}

  int width() const { return header_.width(); }
  int height() const { return header_.height(); }
  int bands() const { return header_.bands(); }

  // The pixels, to read as often as needed. Throws vips::VError.
  vips::VImage image() const;
  // Hands `write` an image that produces every pixel once (an encoder): a pipeline read once
  // streams through it, so decoding and writing overlap, and its pixels are kept as they pass.
  // Throws vips::VError.
  VipsBlob* streamTo(const std::function<VipsBlob*(const vips::VImage&)>& write) const;

 private:
  const vips::VImage header_;
  mutable std::mutex mutex_;
  mutable vips::VImage image_;
  mutable bool readOnce_;
};

// A lazy image of `wide` x `high` with `bands` bands of `format`, made region by region from
// `in` by `generate` (run on libvips' worker threads: it must not throw), asked for in the
// shapes `hint` allows (VIPS_DEMAND_STYLE_ANY: those `in` likes). `params` is copied and lives
// as long as the image.
using GenerateRegion = int (*)(VipsRegion* out, VipsRegion* in, const void* params);
vips::VImage generatedImage(const vips::VImage& in, int wide, int high, int bands,
                            VipsBandFormat format, VipsInterpretation interpretation,
                            VipsDemandStyle hint, GenerateRegion generate, const void* params,
                            std::size_t paramsSize);

// Converts any loaded image to uchar sRGB with 3 or 4 bands.
vips::VImage normalizedPixels(vips::VImage image);

// A source over an open descriptor: the path is never parsed for loader options.
std::optional<vips::VSource> fileSource(const std::string& path);

// The file at `path` decoded at exactly wide x high where its format allows a reduced decode
// (JPEG at a fraction, PNG with alpha by blocks), else by the thumbnailer; nullopt when the
// file no longer matches `image`'s pixel count. The result is a pipeline that may read the
// file only once. Throws vips::VError.
std::optional<vips::VImage> reducedFromFile(const std::string& path, const vips::VImage& image,
                                            int wide, int high);

}  // namespace velquarin::platform
