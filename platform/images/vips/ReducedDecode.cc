#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>
#include <vector>

#include "images/ImageTypes.h"
#include "images/vips/ImagePixels.h"

namespace velquarin::platform {

using vips::VError;
using vips::VImage;
using vips::VSource;

namespace {

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

// Adds the premultiplied components of one row to the sums of its blocks; the last block may
// be narrower. The sums fit 32 bits up to 66051 pixels a block (255 * 255 each).
template <typename Sum>
void sumBlockRow(const std::uint8_t* row, int pixels, int blockWide, Sum* sums) {
  auto add = [](const std::uint8_t* pixel, Sum* sum) {
    const Sum a = pixel[3];
    sum[0] += pixel[0] * a;
    sum[1] += pixel[1] * a;
    sum[2] += pixel[2] * a;
    sum[3] += a;
  };
  int left = 0;
  if (blockWide == 2) {  // the usual case (a fit between a quarter and a sixth): kept simple
    for (; left + 2 <= pixels; left += 2, row += 8, sums += 4) {
      add(row, sums);
      add(row + 4, sums);
    }
  }
  for (; left < pixels; left += blockWide, sums += 4) {
    for (const std::uint8_t* end = row + 4 * std::min(blockWide, pixels - left); row < end;
         row += 4) {
      add(row, sums);
    }
  }
}

// Premultiplies and box-averages in one pass over the decoded rows, strip by strip, so the
// full-size picture is never held in memory. The blocks at the right and bottom edges may be
// smaller, so every source pixel counts once. The result is 16-bit: premultiplied components
// and alpha, both scaled by 256 (0 to 65280), which keeps the fractions the average makes.
// A thread of its own decodes and sums the whole picture once, from the top, while the
// pipeline resamples and encodes the rows already done; it stops early only when the image
// is dropped, so it never waits on a reader that has gone. Not the background queue: the
// caller may be one of its workers, waiting for these very rows.
template <typename Sum>
class BoxShrink {
 public:
  BoxShrink(const VImage& straight, int blockWide, int blockHigh)
      : sourceWide_(straight.width()),
        sourceHigh_(straight.height()),
        blockWide_(blockWide),
        blockHigh_(blockHigh),
        wide_((sourceWide_ + blockWide - 1) / blockWide),
        high_((sourceHigh_ + blockHigh - 1) / blockHigh),
        pixels_(std::make_unique_for_overwrite<std::uint16_t[]>(std::size_t(wide_) * high_ * 4)),
        sums_(std::size_t(wide_) * 4),
        source_(straight),
        worker_([this](std::stop_token stop) { run(stop); }) {}

  int wide() const { return wide_; }
  int high() const { return high_; }
  const std::uint16_t* row(int y) const { return &pixels_[std::size_t(y) * wide_ * 4]; }

  // Waits until the first `bottom` rows are done; false, with libvips' error set, when the
  // picture could not be decoded that far.
  bool reach(int bottom) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return done_ >= bottom || finished_; });
    if (done_ >= bottom) return true;
    vips_error("scaleImage", "%s", error_.empty() ? "the picture ended early" : error_.c_str());
    return false;
  }

 private:
  void run(std::stop_token stop) {
    std::string error;
    try {
      const vips::VRegion region = vips::VRegion::new_from_image(source_);
      // Strips of 16 rows from the top, as a sequential loader needs, whatever the block
      // height: a tall block never asks for its rows all at once.
      constexpr int kStrip = 16;
      for (int top = 0; top < sourceHigh_ && !stop.stop_requested(); top += kStrip) {
        const int lines = std::min(kStrip, sourceHigh_ - top);
        region.prepare(0, top, sourceWide_, lines);
        for (int y = top; y < top + lines; ++y) {
          if (y % blockHigh_ == 0) std::fill(sums_.begin(), sums_.end(), Sum(0));
          sumBlockRow(reinterpret_cast<const std::uint8_t*>(region.addr(0, y)), sourceWide_,
                      blockWide_, sums_.data());
          if ((y + 1) % blockHigh_ == 0 || y + 1 == sourceHigh_) average(y);
        }
        publish();
      }
    } catch (const std::exception& failure) {  // VError from the decoder
      // libvips' error text is left for the caller to clear: it is shared by every thread.
      error = failure.what();
    }
    source_ = VImage();  // the decoder and its file go now, not with the image
    finish(std::move(error));
    vips_thread_shutdown();
  }

  // Makes the rows averaged so far readable to the waiting regions.
  void publish() {
    {
      const std::lock_guard lock(mutex_);
      done_ = averaged_;
    }
    changed_.notify_all();
  }

  // No more rows come; `error` says why, when there is one.
  void finish(std::string error) {
    {
      const std::lock_guard lock(mutex_);
      error_ = std::move(error);
      finished_ = true;
    }
    changed_.notify_all();
  }

  // Averages the block row ending at source row y.
  void average(int y) {
    const int block = y / blockHigh_;
    const int rows = y + 1 - block * blockHigh_;
    std::uint16_t* out = &pixels_[std::size_t(block) * wide_ * 4];
    // Averages scaled by 256, rounded; a double holds every sum exactly.
    const double full = 256.0 / (double(blockWide_) * rows);
    for (int x = 0; x < wide_; ++x) {
      const int columns = std::min(blockWide_, sourceWide_ - x * blockWide_);
      const double alphaScale = columns == blockWide_ ? full : 256.0 / (double(columns) * rows);
      const double colourScale = alphaScale / 255.0;
      const Sum* sum = &sums_[std::size_t(x) * 4];
      for (int c = 0; c < 3; ++c) {
        out[4 * x + c] = std::uint16_t(double(sum[c]) * colourScale + 0.5);
      }
      out[4 * x + 3] = std::uint16_t(double(sum[3]) * alphaScale + 0.5);
    }
    averaged_ = block + 1;
  }

  const int sourceWide_, sourceHigh_, blockWide_, blockHigh_, wide_, high_;
  const std::unique_ptr<std::uint16_t[]> pixels_;
  std::vector<Sum> sums_;  // the worker's own
  VImage source_;          // the worker's own
  int averaged_ = 0;       // the worker's own: rows of pixels_ written
  std::mutex mutex_;
  std::condition_variable changed_;
  int done_ = 0;  // rows of pixels_ the regions may read
  bool finished_ = false;
  std::string error_;
  std::jthread worker_;  // last: stops and is joined before the rest goes
};

template <typename Sum>
int shrinkRegion(VipsRegion* out, void*, void* state, void*, gboolean*) {
  auto* shrink = static_cast<BoxShrink<Sum>*>(state);
  const VipsRect& area = out->valid;
  if (!shrink->reach(area.top + area.height)) return -1;
  const std::size_t bytes = std::size_t(area.width) * 4 * sizeof(std::uint16_t);
  for (int y = area.top; y < area.top + area.height; ++y) {
    std::memcpy(VIPS_REGION_ADDR(out, area.left, y), shrink->row(y) + 4 * area.left, bytes);
  }
  return 0;
}

template <typename Sum>
VImage premultipliedBoxShrink(const VImage& straight, int blockWide, int blockHigh) {
  std::unique_ptr<BoxShrink<Sum>> shrink;
  try {
    shrink = std::make_unique<BoxShrink<Sum>>(straight, blockWide, blockHigh);
  } catch (const std::system_error& error) {
    throw VError(error.what());  // no thread to spare: the caller falls back to the thumbnailer
  }
  VipsImage* raw = vips_image_new();
  VImage shrunk(raw);
  if (vips_image_pipelinev(raw, VIPS_DEMAND_STYLE_THINSTRIP, nullptr) != 0) throw VError();
  vips_image_init_fields(raw, shrink->wide(), shrink->high(), 4, VIPS_FORMAT_USHORT,
                         VIPS_CODING_NONE, VIPS_INTERPRETATION_RGB16, 1.0, 1.0);
  auto* state = shrink.get();
  // The image owns the state from here: it goes (and its worker stops) with the image.
  g_object_set_data_full(G_OBJECT(raw), "velquarin-box-shrink", shrink.release(),
                         [](gpointer state) { delete static_cast<BoxShrink<Sum>*>(state); });
  if (vips_image_generate(raw, nullptr, shrinkRegion<Sum>, nullptr, state, nullptr) != 0) {
    throw VError();
  }
  return shrunk;
}

// Back from premultiplied 16-bit (scaled by 256) to straight 8-bit RGBA, row by row.
void unpremultiplyRow(const std::uint16_t* in, std::uint8_t* out, int pixels) {
  for (int i = 0; i < 4 * pixels; i += 4) {
    const std::uint32_t alpha = in[i + 3];
    out[i + 3] = std::uint8_t(std::min<std::uint32_t>(255, (alpha + 128) / 256));
    for (int c = 0; c < 3; ++c) {
      // Nothing left to show is transparent black.
      const std::uint32_t value = out[i + 3] ? (in[i + c] * 255u + alpha / 2) / alpha : 0;
      out[i + c] = std::uint8_t(std::min<std::uint32_t>(255, value));
    }
  }
}

int unpremultiplyRegion(VipsRegion* out, void* sequence, void*, void*, gboolean*) {
  auto* in = static_cast<VipsRegion*>(sequence);
  const VipsRect& area = out->valid;
  if (vips_region_prepare(in, &area) != 0) return -1;
  for (int y = area.top; y < area.top + area.height; ++y) {
    unpremultiplyRow(reinterpret_cast<const std::uint16_t*>(VIPS_REGION_ADDR(in, area.left, y)),
                     reinterpret_cast<std::uint8_t*>(VIPS_REGION_ADDR(out, area.left, y)),
                     area.width);
  }
  return 0;
}

// Computed as the writer asks for rows: the encoder then works on its own thread while the
// resampling goes on.
VImage unpremultiplied(const VImage& premultiplied) {
  VipsImage* in = premultiplied.get_image();
  VipsImage* raw = vips_image_new();
  VImage straight(raw);
  if (vips_image_pipelinev(raw, VIPS_DEMAND_STYLE_THINSTRIP, in, nullptr) != 0) throw VError();
  vips_image_init_fields(raw, premultiplied.width(), premultiplied.height(), 4, VIPS_FORMAT_UCHAR,
                         VIPS_CODING_NONE, VIPS_INTERPRETATION_sRGB, 1.0, 1.0);
  g_object_ref(in);
  vips_object_local(raw, in);  // the input lives as long as this image
  if (vips_image_generate(raw, vips_start_one, unpremultiplyRegion, vips_stop_one, in, nullptr) !=
      0) {
    throw VError();
  }
  return straight;
}

// A picture with straight alpha shrunk to exactly wide x high: whole-block averages of the
// premultiplied pixels down to at least twice the target, then Lanczos 3 for the rest, as a
// thumbnailer does, but without a float copy of every pixel. Nullopt when the picture is not
// 8-bit RGBA upright or the shrink is too small for blocks to pay.
std::optional<VImage> straightAlphaAtSize(const VSource& source, int wide, int high) {
  VImage image =
      VImage::new_from_source(source, "", VImage::option()->set("access", VIPS_ACCESS_SEQUENTIAL));
  // The header is read again here: a file rewritten meanwhile is not decoded at all.
  if (std::uint64_t(image.width()) * std::uint64_t(image.height()) > kMaxImagePixels) {
    throw VError("the picture has more pixels than allowed");
  }
  if (image.bands() != 4 || image.format() != VIPS_FORMAT_UCHAR ||
      image.interpretation() != VIPS_INTERPRETATION_sRGB ||
      (image.get_typeof(VIPS_META_ORIENTATION) != 0 && image.get_int(VIPS_META_ORIENTATION) > 1)) {
    return std::nullopt;
  }
  const int blockWide = std::max(1, image.width() / (2 * wide));
  const int blockHigh = std::max(1, image.height() / (2 * high));
  if (blockWide * blockHigh < 2) return std::nullopt;
  const bool wideSums = std::uint64_t(blockWide) * std::uint64_t(blockHigh) > 66051;
  const VImage shrunk = wideSums
                            ? premultipliedBoxShrink<std::uint64_t>(image, blockWide, blockHigh)
                            : premultipliedBoxShrink<std::uint32_t>(image, blockWide, blockHigh);
  // As the thumbnailer does: an edge block counts as a whole one, off by under a pixel.
  VImage reduced = shrunk;
  if (shrunk.width() != wide || shrunk.height() != high) {
    // Vertical first: each strip the vertical pass makes asks for rows overlapping the last
    // strip's, and those are then copies of summed rows, not horizontal passes done again.
    reduced = shrunk
                  .reducev(double(shrunk.height()) / high,
                           VImage::option()->set("kernel", VIPS_KERNEL_LANCZOS3))
                  .reduceh(double(shrunk.width()) / wide,
                           VImage::option()->set("kernel", VIPS_KERNEL_LANCZOS3));
  }
  if (reduced.width() != wide || reduced.height() != high) return std::nullopt;
  return unpremultiplied(reduced);
}

}  // namespace

std::optional<VImage> reducedFromFile(const std::string& path, const VImage& image, int wide,
                                      int high) {
  auto source = fileSource(path);
  if (!source) return std::nullopt;
  const VImage header = VImage::new_from_source(*source, "");
  // Only the file we measured: a changed file is not decoded behind the budget check.
  if (std::uint64_t(header.width()) * std::uint64_t(header.height()) !=
      std::uint64_t(image.width()) * std::uint64_t(image.height())) {
    return std::nullopt;
  }
  const char* found = vips_foreign_find_load_source(source->get_source());
  const std::string_view loader = found ? found : "";
  std::optional<VImage> shrunk;
  if (loader == "VipsForeignLoadJpegSource") {
    shrunk = jpegAtSize(*source, image, wide, high);
  } else if (loader == "VipsForeignLoadPngSource" && image.bands() == 4) {
    shrunk = straightAlphaAtSize(*source, wide, high);
  }
  if (shrunk) return shrunk;
  return VImage::thumbnail_source(
      *source, wide, VImage::option()->set("height", high)->set("size", VIPS_SIZE_FORCE));
}

}  // namespace velquarin::platform
