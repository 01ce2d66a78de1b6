#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vips/vips8>

#include "Extensions/NSBitmapImageRep+ZqExtensions.h"
#include "Extensions/NSColor+ZqExtensions.h"
#include "Extensions/NSImage+ZqExtensions.h"
#include "Extensions/NSString+ZqExtensions.h"
#include "Replies/ZqReplies.h"
#include "images/Image.h"
#include "TempFolder.h"
#include "screen/Screen.h"

namespace fs = std::filesystem;
using velquarin::platform::BitmapFileType;
using velquarin::platform::Color;
using velquarin::platform::Image;
using velquarin::platform::ImageLoadError;
using velquarin::platform::Screen;
using velquarin::platform::Size;

namespace {

// A solid opaque image of the given colour.
std::shared_ptr<Image> solid(int wide, int high, std::uint8_t r, std::uint8_t g, std::uint8_t b,
                             std::uint8_t a = 255) {
  std::vector<std::uint8_t> rgba(std::size_t(wide) * high * 4);
  for (std::size_t i = 0; i < rgba.size(); i += 4) {
    rgba[i] = r, rgba[i + 1] = g, rgba[i + 2] = b, rgba[i + 3] = a;
  }
  return Image::fromRGBA(wide, high, rgba);
}

void writeBytes(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

std::uint32_t crc32(const std::uint8_t* data, std::size_t length) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (std::size_t i = 0; i < length; ++i) {
    crc ^= data[i];
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

void appendChunk(std::vector<std::uint8_t>& png, const char* type,
                 const std::vector<std::uint8_t>& data) {
  auto be32 = [&](std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) png.push_back(std::uint8_t(v >> shift));
  };
  be32(static_cast<std::uint32_t>(data.size()));
  const std::size_t start = png.size();
  png.insert(png.end(), type, type + 4);
  png.insert(png.end(), data.begin(), data.end());
  be32(crc32(png.data() + start, png.size() - start));
}

// A PNG of a few dozen bytes whose header claims `side` x `side` pixels.
std::vector<std::uint8_t> pngClaiming(std::uint32_t side) {
  std::vector<std::uint8_t> png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<std::uint8_t> header;
  for (int i = 0; i < 2; ++i) {
    for (int shift = 24; shift >= 0; shift -= 8) header.push_back(std::uint8_t(side >> shift));
  }
  header.insert(header.end(), {8, 6, 0, 0, 0});  // 8-bit RGBA
  appendChunk(png, "IHDR", header);
  appendChunk(png, "IDAT", {0x78, 0x9C, 0x03, 0x00, 0x00, 0x00, 0x00, 0x01});
  appendChunk(png, "IEND", {});
  return png;
}

long peakKiB() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

class ScaleFactor {
 public:
  explicit ScaleFactor(double factor) { Screen::setBackingScaleFactor(factor); }
  ~ScaleFactor() { Screen::setBackingScaleFactor(1); }
};

}  // namespace

// Fitting a photo into the maxima through the reduced decode is pinned by
// tests/js/images.test.js (against an independent decoder).
TEST(Images, FitToMaximaKeepsAtLeastOnePixelAndCountsPixelsNotPoints) {
  auto bitmap = solid(400, 300, 200, 100, 50);
  EXPECT_EQ(zq_scaleToMaxWidth(bitmap, 400, 300), bitmap);  // fits already: the very same
  EXPECT_EQ(zq_scaleToMaxWidth(bitmap, 0, 0), nullptr);
  auto line = zq_scaleToMaxWidth(solid(10000, 1, 0, 0, 0), 100, 100);
  ASSERT_TRUE(line);
  EXPECT_EQ(line->pixelsWide(), 100);
  EXPECT_EQ(line->pixelsHigh(), 1);

  ScaleFactor retina(2);
  auto onRetina = zq_scaleToMaxWidth(bitmap, 100, 100);
  EXPECT_EQ(onRetina->pixelsWide(), 100);
  EXPECT_EQ(onRetina->pixelsHigh(), 75);
  EXPECT_DOUBLE_EQ(onRetina->size().width, 50);
}

TEST(Images, ShrinkingAPngWithAlphaWeighsColoursByTheirAlpha) {
  TempFolder scratch;
  // Left of x = 501: fully transparent but bright red underneath; right: opaque blue; the
  // bottom band is half-transparent green. 1003 x 777, so the blocks do not divide evenly.
  const int wide = 1003, high = 777;
  std::vector<std::uint8_t> rgba(std::size_t(wide) * high * 4);
  for (int y = 0; y < high; ++y) {
    for (int x = 0; x < wide; ++x) {
      std::uint8_t* p = &rgba[(std::size_t(y) * wide + x) * 4];
      if (y >= 600) {
        p[0] = 0, p[1] = 200, p[2] = 0, p[3] = 128;
      } else if (x < 501) {
        p[0] = 255, p[1] = 0, p[2] = 0, p[3] = 0;
      } else {
        p[0] = 0, p[1] = 0, p[2] = 255, p[3] = 255;
      }
    }
  }
  auto source = Image::fromRGBA(wide, high, rgba);
  const fs::path file = fs::path(scratch.path()) / "overlay.png";
  writeBytes(file, *source->representation(BitmapFileType::PNG));

  // From the file (block averages, then Lanczos) and from memory (the generic thumbnailer).
  auto fromFile = zq_scaleToMaxWidth(Image::fromFile(file), 100, 100);
  auto fromMemory = zq_scaleToMaxWidth(source, 100, 100);
  ASSERT_TRUE(fromFile && fromMemory);
  EXPECT_EQ(fromFile->pixelsWide(), 100);
  EXPECT_EQ(fromFile->pixelsHigh(), 77);
  const auto shrunk = fromFile->rgbaPixels();
  const auto reference = fromMemory->rgbaPixels();
  ASSERT_EQ(shrunk.size(), reference.size());
  // Read again once the decoder is done and gone, and as a PNG: the same pixels.
  EXPECT_EQ(fromFile->rgbaPixels(), shrunk);
  auto written = fromFile->representation(BitmapFileType::PNG);
  ASSERT_TRUE(written);
  EXPECT_EQ(Image::fromData(*written)->rgbaPixels(), shrunk);
  // Dropped before anything reads it: the decoder stops (a hang or a leak fails the suite).
  EXPECT_TRUE(zq_scaleToMaxWidth(Image::fromFile(file), 100, 100));
  int worst = 0;
  for (std::size_t i = 0; i < shrunk.size(); ++i) {
    // Colour under (almost) no alpha is arbitrary; compare what can be seen. At the hard
    // edges the two ways place the step up to a fifth of a pixel apart.
    if (i % 4 != 3 && std::min(shrunk[i | 3], reference[i | 3]) < 8) continue;
    const std::size_t x = (i / 4) % 100, y = (i / 4) / 100;
    if ((x >= 48 && x <= 51) || (y >= 58 && y <= 61)) continue;
    worst = std::max(worst, std::abs(int(shrunk[i]) - int(reference[i])));
  }
  EXPECT_LE(worst, 3);

  for (int y = 0; y < 77; ++y) {
    for (int x = 0; x < 100; ++x) {
      const std::uint8_t* p = &shrunk[(std::size_t(y) * 100 + x) * 4];
      // No red bleeds in from under the transparent half, even on the boundary.
      if (p[3] > 0) {
        EXPECT_LE(p[0], 2) << x << "," << y;
      }
    }
  }
  const auto at = [&](int x, int y) { return &shrunk[(std::size_t(y) * 100 + x) * 4]; };
  EXPECT_EQ(at(20, 20)[3], 0);
  EXPECT_EQ(at(80, 20)[2], 255);
  EXPECT_EQ(at(80, 20)[3], 255);
  EXPECT_NEAR(at(50, 70)[1], 200, 1);
  EXPECT_NEAR(at(50, 70)[3], 128, 1);

  // Blocks taller than the strips the rows are read in: 300 x 3000 into 10 x 10 is 1 x 10,
  // from blocks of 150 x 150. Top half faint green, bottom half opaque red.
  std::vector<std::uint8_t> tall(std::size_t(300) * 3000 * 4);
  for (std::size_t i = 0; i < tall.size(); i += 4) {
    const bool top = i < tall.size() / 2;
    tall[i] = top ? 10 : 200, tall[i + 1] = top ? 200 : 10, tall[i + 2] = 30;
    tall[i + 3] = top ? 100 : 255;
  }
  const fs::path tallFile = fs::path(scratch.path()) / "tall.png";
  writeBytes(tallFile, *Image::fromRGBA(300, 3000, tall)->representation(BitmapFileType::PNG));
  auto narrow = zq_scaleToMaxWidth(Image::fromFile(tallFile), 10, 10);
  ASSERT_TRUE(narrow);
  ASSERT_EQ(narrow->pixelsWide(), 1);
  ASSERT_EQ(narrow->pixelsHigh(), 10);
  const auto column = narrow->rgbaPixels();
  EXPECT_EQ(std::vector<int>(column.begin() + 4, column.begin() + 8),
            (std::vector<int>{10, 200, 30, 100}));
  EXPECT_EQ(std::vector<int>(column.begin() + 32, column.begin() + 36),
            (std::vector<int>{200, 10, 30, 255}));
}

TEST(Images, ScaleToSizeAnchorsAtTheLowerLeftAndLeavesTheRestTransparent) {
  auto wide = zq_scaleToSize(solid(200, 100, 10, 20, 30), Size{64, 64});
  ASSERT_TRUE(wide);
  ASSERT_EQ(wide->pixelsWide(), 64);
  ASSERT_EQ(wide->pixelsHigh(), 64);
  const auto pixels = wide->rgbaPixels();
  for (int row = 0; row < 64; ++row) {
    for (int column = 0; column < 64; ++column) {
      const std::uint8_t alpha = pixels[4 * (row * 64 + column) + 3];
      // Rows are stored from the top: the drawing fills the lower 32.
      ASSERT_EQ(alpha, row < 32 ? 0 : 255) << "row " << row << " column " << column;
    }
  }
  // A tall image: drawn at the left, the right part stays transparent.
  auto tall = zq_scaleToSize(solid(50, 100, 0, 0, 0), Size{64, 64});
  const auto tallPixels = tall->rgbaPixels();
  EXPECT_EQ(tallPixels[4 * (10 * 64 + 5) + 3], 255);
  EXPECT_EQ(tallPixels[4 * (10 * 64 + 40) + 3], 0);

  EXPECT_EQ(zq_scaleToSize(solid(10, 10, 0, 0, 0), Size{0, 64}), nullptr);
  EXPECT_EQ(zq_scaleToSize(nullptr, Size{64, 64}), nullptr);

  ScaleFactor retina(2);
  auto sharp = zq_scaleToSize(solid(200, 100, 10, 20, 30), Size{64, 64});
  EXPECT_EQ(sharp->pixelsWide(), 128);
  EXPECT_DOUBLE_EQ(sharp->size().width, 64);
}

TEST(Images, TintColoursOnlyWhatIsOpaqueAndKeepsAlpha) {
  std::vector<std::uint8_t> rgba(16 * 16 * 4);
  for (int i = 0; i < 16 * 16; ++i) {
    rgba[4 * i] = 0, rgba[4 * i + 1] = 0, rgba[4 * i + 2] = 0;
    rgba[4 * i + 3] = static_cast<std::uint8_t>(i);  // 0 ... 255
  }
  auto glyph = Image::fromRGBA(16, 16, rgba);
  auto tinted = zq_tintedImageWithColor(glyph, Color{1, 0, 0, 1});
  ASSERT_TRUE(tinted);
  const auto out = tinted->rgbaPixels();
  ASSERT_EQ(out.size(), rgba.size());
  for (int i = 0; i < 16 * 16; ++i) {
    ASSERT_NEAR(out[4 * i + 3], rgba[4 * i + 3], 1) << i;
    if (rgba[4 * i + 3] > 16) {
      ASSERT_NEAR(out[4 * i], 255, 2) << i;
      ASSERT_NEAR(out[4 * i + 1], 0, 2) << i;
    }
  }
  EXPECT_EQ(zq_tintedImageWithColor(nullptr, Color{}), nullptr);
}

TEST(Images, HeadersOverThePixelBudgetAreRefusedBeforeDecoding) {
  TempFolder scratch;
  const fs::path bomb = fs::path(scratch.path()) / "bomb.png";
  writeBytes(bomb, pngClaiming(60000));
  const long before = peakKiB();
  const auto start = std::chrono::steady_clock::now();
  ImageLoadError error = ImageLoadError::None;
  EXPECT_EQ(Image::fromFile(bomb, &error), nullptr);
  EXPECT_EQ(error, ImageLoadError::TooManyPixels);
  EXPECT_EQ(Image::fromData(pngClaiming(60000), &error), nullptr);
  EXPECT_EQ(error, ImageLoadError::TooManyPixels);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  EXPECT_LT(peakKiB() - before, 64 * 1024);
}

// Text, empty, missing and folder sources are pinned by tests/js/images.test.js.
TEST(Images, OnlyTheNeededDecodersRun) {
  ImageLoadError error = ImageLoadError::None;
  // A valid portable pixmap: libvips could read it, but it is not a format we need.
  const std::string ppm = "P6\n2 1\n255\n\xff\x00\x00\x00\xff\x00";
  EXPECT_EQ(Image::fromData(std::vector<std::uint8_t>(ppm.begin(), ppm.end()), &error), nullptr);
  EXPECT_EQ(error, ImageLoadError::Unreadable);
  EXPECT_EQ(Image::fromRGBA(2, 2, std::vector<std::uint8_t>(15)), nullptr);
}

TEST(Images, ExifOrientationIsAppliedAndNotKept) {
  TempFolder scratch;
  // 40 x 20 stored, orientation 6 (rotate 90 degrees clockwise to display): 20 x 40 upright.
  vips::VImage stored = vips::VImage::black(40, 20).new_from_image({255, 0, 0});
  stored = stored.cast(VIPS_FORMAT_UCHAR)
               .copy(vips::VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
  stored.set(VIPS_META_ORIENTATION, 6);
  const fs::path file = fs::path(scratch.path()) / "rotated.jpg";
  stored.jpegsave(file.c_str());
  ASSERT_EQ(vips::VImage::new_from_file(file.c_str()).get_int(VIPS_META_ORIENTATION), 6);

  auto image = Image::fromFile(file);
  ASSERT_TRUE(image);
  EXPECT_EQ(image->pixelsWide(), 20);
  EXPECT_EQ(image->pixelsHigh(), 40);
  auto fitted = zq_scaleToMaxWidth(image, 10, 10);  // through the reduced decode
  EXPECT_EQ(fitted->pixelsWide(), 5);
  EXPECT_EQ(fitted->pixelsHigh(), 10);
  for (const auto& out : {image, fitted}) {
    const auto jpeg = out->representation(BitmapFileType::JPEG);
    ASSERT_TRUE(jpeg);
    const auto reread = vips::VImage::new_from_buffer(jpeg->data(), jpeg->size(), "");
    EXPECT_EQ(reread.get_typeof(VIPS_META_ORIENTATION), 0u);
    EXPECT_LT(reread.width(), reread.height());
  }
}

TEST(Images, JpegIsAlwaysChromaSubsampledAndQualityFollowsTheFactor) {
  std::vector<std::uint8_t> rgba(64 * 64 * 4);
  for (std::size_t i = 0; i < rgba.size(); ++i) rgba[i] = std::uint8_t((i * 37) ^ (i >> 5));
  auto noisy = Image::fromRGBA(64, 64, rgba);
  const auto best = noisy->representation(BitmapFileType::JPEG, 1.0);
  const auto low = noisy->representation(BitmapFileType::JPEG, 0.7);
  ASSERT_TRUE(best && low);
  EXPECT_GT(best->size(), low->size());
  for (const auto* jpeg : {&*best, &*low}) {
    const auto image = vips::VImage::new_from_buffer(jpeg->data(), jpeg->size(), "");
    EXPECT_EQ(std::string(image.get_string("jpeg-chroma-subsample")), "4:2:0");
  }
}

TEST(Images, PngKeepsEveryPixelIncludingTransparentOnes) {
  EXPECT_FALSE(ZqPNGRepresentation(nullptr));
  std::vector<std::uint8_t> rgba{255, 0, 0, 255, 0, 255, 0, 128, 0, 0, 255, 0, 9, 9, 9, 9};
  const auto png = ZqPNGRepresentation(Image::fromRGBA(2, 2, rgba));
  ASSERT_TRUE(png);
  auto decoded = Image::fromData(*png);
  ASSERT_TRUE(decoded);
  EXPECT_EQ(decoded->rgbaPixels(), rgba);
}

// Names and numbering of the common case are pinned by tests/js/images.test.js.
TEST(Images, TemporaryFilesStayInTheTemporaryFolder) {
  TempFolder scratch;
  const char* saved = std::getenv("TMPDIR");
  const std::string previous = saved ? saved : "";
  ::setenv("TMPDIR", scratch.path().c_str(), 1);
  auto image = solid(8, 8, 1, 2, 3);
  const auto first = zq_writeToTemporaryFileWithName(*image, "holiday.jpeg", 4);
  const auto escaped = zq_writeToTemporaryFileWithName(*image, "../../outside.png", 3);
  const auto unknown = zq_writeToTemporaryFileWithName(*image, "x.png", 42);
  if (saved)
    ::setenv("TMPDIR", previous.c_str(), 1);
  else
    ::unsetenv("TMPDIR");
  ASSERT_TRUE(first && escaped);
  EXPECT_EQ(fs::path(*first).parent_path(), fs::path(*escaped).parent_path());
  EXPECT_EQ(fs::path(*escaped).filename(), "outside.jpg");
  EXPECT_TRUE(first->starts_with(scratch.path()));
  EXPECT_FALSE(unknown);
}

TEST(Images, TypeTables) {
  EXPECT_EQ(zq_pathExtensionByImageFileType(0), "tiff");
  EXPECT_EQ(zq_pathExtensionByImageFileType(1), "bmp");
  EXPECT_EQ(zq_pathExtensionByImageFileType(3), "jpg");
  EXPECT_EQ(zq_pathExtensionByImageFileType(5), "jpx");
  EXPECT_EQ(zq_pathExtensionByImageFileType(6), "unknown");
  EXPECT_EQ(zq_imageFileTypeByPathExtension("/a/B.TIFF"), 0u);
  EXPECT_EQ(zq_imageFileTypeByPathExtension("x.Jpeg"), 3u);
  EXPECT_EQ(zq_imageFileTypeByPathExtension("x.png"), 4u);
  EXPECT_EQ(zq_imageFileTypeByPathExtension("x.bmp"), 3u);  // not readable by name: JPEG
  EXPECT_EQ(zq_imageFileTypeByPathExtension("noextension"), 3u);
}

TEST(Colors, HexStringsFollowTheScannerRules) {
  auto expect = [](const char* text, double r, double g, double b) {
    const Color color = zq_colorWithHexColorString(text);
    EXPECT_DOUBLE_EQ(color.red, r) << text;
    EXPECT_DOUBLE_EQ(color.green, g) << text;
    EXPECT_DOUBLE_EQ(color.blue, b) << text;
    EXPECT_DOUBLE_EQ(color.alpha, 1) << text;
  };
  expect("4F8CF8", 79 / 255.0, 140 / 255.0, 248 / 255.0);
  expect("0x4f8cf8", 79 / 255.0, 140 / 255.0, 248 / 255.0);
  expect("  0X4F8CF8 trailing", 79 / 255.0, 140 / 255.0, 248 / 255.0);
  expect("#4F8CF8", 0, 0, 0);
  expect("", 0, 0, 0);
  expect("0x", 0, 0, 0);
  expect("12zz", 0, 0, 0x12 / 255.0);
  expect("FF000000", 0, 0, 0);         // bits above 23 are not a colour
  expect("123456789ABCDEF", 1, 1, 1);  // too large: all bits set
}
