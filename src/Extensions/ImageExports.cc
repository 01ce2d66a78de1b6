#include <filesystem>
#include <map>

#include "Exports.h"
#include "Extensions/NSBitmapImageRep+ZqExtensions.h"
#include "Extensions/NSString+ZqExtensions.h"
#include "Utilities/ZqConvert.h"
#include "Utilities/ZqLog.h"
#include "images/Image.h"

using velquarin::platform::BitmapFileType;
using velquarin::platform::Image;
using velquarin::platform::ImageLoadError;

namespace zq::exports {

namespace {

// The names scaleImage accepts, exactly as written.
unsigned long fileTypeNamed(const std::string& name) {
  static const std::map<std::string, BitmapFileType> kTypes{
      {"TIFF", BitmapFileType::TIFF},         {"BMP", BitmapFileType::BMP},
      {"GIF", BitmapFileType::GIF},           {"JPEG", BitmapFileType::JPEG},
      {"JPG", BitmapFileType::JPEG},          {"PNG", BitmapFileType::PNG},
      {"JPEG2000", BitmapFileType::JPEG2000},
  };
  const auto found = kTypes.find(name);
  if (found != kTypes.end()) return static_cast<unsigned long>(found->second);
  ZQ_LOG_AS("VelquarinNative", ZqLogLevel::Warning,
            "[WARN] Don't know about file type %@ assuming PNG", name);
  return static_cast<unsigned long>(BitmapFileType::PNG);
}

}  // namespace

Napi::Value isWebImagePath(const ZqArgs& args) {
  const auto path = convertToString(args.at(0));
  return Napi::Number::New(args.Env(), path && zq_isWebImagePath(*path) ? 1 : 0);
}

Napi::Value scaleImage(const ZqArgs& args) {
  auto env = args.Env();
  const std::string source = convertToString(args.at(0)).value_or("");
  const std::string typeName = convertToString(args.at(1)).value_or("");
  const std::int32_t maxWidth = ZqInt32Value(args.at(2));
  const std::int32_t maxHeight = ZqInt32Value(args.at(3));

  ImageLoadError error = ImageLoadError::None;
  auto bitmap = Image::fromFile(source, &error);
  if (!bitmap) {
    if (error == ImageLoadError::TooManyPixels) {
      ZQ_LOG_AS("VelquarinNative", ZqLogLevel::Warning,
                "Image '%@' has more pixels than allowed; it was not decoded.", source);
    } else {
      ZQ_LOG_AS("VelquarinNative", ZqLogLevel::Warning, "Could not read an image from '%@'.",
                source);
    }
    return env.Null();
  }
  if (maxWidth >= 1 && maxHeight >= 1) bitmap = zq_scaleToMaxWidth(bitmap, maxWidth, maxHeight);
  const unsigned long fileType = fileTypeNamed(typeName);
  if (!bitmap) return env.Null();
  const auto path = zq_writeToTemporaryFileWithName(
      *bitmap, std::filesystem::path(source).filename().string(), fileType);
  return ZqToHostStringOrNull(env, path);
}

}  // namespace zq::exports
