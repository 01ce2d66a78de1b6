#include "Extensions/NSBitmapImageRep+ZqExtensions.h"

#include <filesystem>

#include "Extensions/NSApplication+ZqExtensions.h"
#include "Extensions/NSString+ZqExtensions.h"
#include "Utilities/ZqLog.h"
#include "files/DataWriter.h"
#include "images/Canvas.h"
#include "screen/Screen.h"

using velquarin::platform::BitmapFileType;
using velquarin::platform::Canvas;
using velquarin::platform::Image;
using velquarin::platform::Rect;
using velquarin::platform::Screen;
using velquarin::platform::Size;

namespace {
constexpr double kTemporaryFileCompression = 0.7;
}

std::shared_ptr<Image> zq_scaleToMaxWidth(const std::shared_ptr<Image>& bitmap, double maxWidth,
                                          double maxHeight) {
  if (!bitmap || !(maxWidth >= 1) || !(maxHeight >= 1)) return nullptr;
  const double wide = bitmap->pixelsWide();
  const double high = bitmap->pixelsHigh();
  if (wide <= maxWidth && high <= maxHeight) return bitmap;
  const double ratioWide = wide / maxWidth;
  const double ratioHigh = high / maxHeight;
  const Size pixels =
      ratioWide > ratioHigh ? Size{maxWidth, high / ratioWide} : Size{wide / ratioHigh, maxHeight};
  // Drawn in points, so that the captured bitmap has the new size in pixels on any screen.
  const double scale = Screen::backingScaleFactor();
  const Size points{pixels.width / scale, pixels.height / scale};
  Canvas canvas(points, scale);
  canvas.drawImage(*bitmap, Rect{0, 0, points.width, points.height});
  return canvas.image();
}

std::optional<std::string> zq_writeToTemporaryFileWithName(const Image& bitmap,
                                                           const std::string& name,
                                                           unsigned long fileType) {
  std::optional<std::vector<std::uint8_t>> data;
  if (fileType <= static_cast<unsigned long>(BitmapFileType::JPEG2000)) {
    data = bitmap.representation(static_cast<BitmapFileType>(fileType), kTemporaryFileCompression);
  }
  if (!data) {
    ZQ_LOG_WARN("Could not encode the image '%@' as file type %lu.", name, fileType);
    return std::nullopt;
  }
  // Only the last component: a name never leads out of the temporary folder.
  const std::string stem = std::filesystem::path(name).filename().stem().string();
  const std::string fileName = stem + "." + zq_pathExtensionByImageFileType(fileType);
  const auto path = zq_makeUniquePath(zq_temporaryDirectory() + "/" + fileName);
  if (!path) {
    ZQ_LOG_WARN("No free file name for the image '%@'.", fileName);
    return std::nullopt;
  }
  // Atomic, so nobody reads half a picture; not synced: the temporary folder is scratch.
  if (auto error = velquarin::platform::writeData(*path, *data, true, false)) {
    ZQ_LOG_WARN("Could not write the image to '%@': %@", *path, error->description());
    return std::nullopt;
  }
  return path;
}
