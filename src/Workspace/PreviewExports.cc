#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>

#include "Exports.h"
#include "Extensions/NSImage+ZqExtensions.h"
#include "HostCall.h"
#include "Integrations/ZqPreview.h"
#include "Utilities/ZqCallbackSlot.h"
#include "Utilities/ZqConvert.h"
#include "Utilities/ZqJSON.h"
#include "Utilities/ZqLog.h"
#include "Workspace/ZqApplications.h"
#include "Workspace/ZqWorkspace.h"
#include "files/DataWriter.h"
#include "screen/Screen.h"
#include "thumbnails/PNGText.h"
#include "thumbnails/RegularFile.h"
#include "thumbnails/SharedThumbnailCache.h"

namespace platform = velquarin::platform;

#define ZQ_ENTRY_LOG(level, format, ...) \
  ZQ_LOG_AS("VelquarinNative", level, format __VA_OPT__(, ) __VA_ARGS__)

namespace zq::exports {

namespace {

// Our previews say so, and name the file they show and its modification time, as the
// desktop's thumbnail caches do.
constexpr const char* kSoftwareKey = "Software";
constexpr const char* kSoftware = "VelquarinNative preview";
constexpr const char* kURIKey = "Thumb::URI";
constexpr const char* kMTimeKey = "Thumb::MTime";
constexpr std::size_t kMaxPreviewFile = 64u << 20;
constexpr double kMaxPreviewPixels = 4096;

ZqCallbackSlot& previewCallback() {
  static auto* slot = new ZqCallbackSlot("preview callback");
  return *slot;
}

// The source as a preview names it.
struct PreviewSource {
  std::string path;  // absolute
  std::string uri;
  long long modified = 0;
};

PreviewSource previewSource(const std::string& path) {
  std::error_code error;
  PreviewSource source{std::filesystem::absolute(path, error).lexically_normal().string(), {}, 0};
  source.uri = platform::thumbnailURIForPath(source.path);
  struct stat status {};
  if (::stat(source.path.c_str(), &status) == 0) source.modified = status.st_mtime;
  return source;
}

enum class Existing { None, Current, Stale, Foreign };

Existing existingPreview(const std::string& previewPath, const PreviewSource& source) {
  struct stat status {};
  if (::lstat(previewPath.c_str(), &status) != 0)
    return errno == ENOENT ? Existing::None : Existing::Foreign;
  if (!S_ISREG(status.st_mode)) return Existing::Foreign;
  auto file = platform::RegularFile::open(previewPath);
  auto bytes = file ? file->read(kMaxPreviewFile) : std::nullopt;
  if (!bytes) return Existing::Foreign;
  const auto text = platform::pngTextChunks(*bytes);
  const auto tag = [&](const char* key) {
    const auto found = text.find(key);
    return found == text.end() ? std::string() : found->second;
  };
  if (tag(kSoftwareKey) != kSoftware) return Existing::Foreign;
  return tag(kURIKey) == source.uri && tag(kMTimeKey) == std::to_string(source.modified)
             ? Existing::Current
             : Existing::Stale;
}

bool writePreview(const platform::Image& image, int size, const PreviewSource& source,
                  const std::string& previewPath) {
  auto square = zq_scaleToSize(std::make_shared<platform::Image>(image),
                               platform::Size{double(size), double(size)});
  auto png = square ? square->representation(platform::BitmapFileType::PNG) : std::nullopt;
  if (!png) return false;
  const auto tagged =
      platform::withPNGTextChunks(*png, {{kSoftwareKey, kSoftware},
                                         {kURIKey, source.uri},
                                         {kMTimeKey, std::to_string(source.modified)}});
  return !tagged.empty() && !platform::writeData(previewPath, tagged, true, false);
}

// Ends the call in progress: the slot is empty before the host hears the answer, so the
// host may start the next preview from its callback.
void finishPreview(const std::optional<std::string>& previewPath) {
  previewCallback().invokeOnce([previewPath](Napi::Env env) {
    if (!previewPath) return std::vector<napi_value>{};
    return std::vector<napi_value>{ZqToHostString(env, *previewPath)};
  });
}

void previewDone(const std::shared_ptr<platform::Image>& image, const PreviewSource& source,
                 int size, const std::string& previewPath) {
  if (!image) {
    ZQ_ENTRY_LOG(ZqLogLevel::Warning, "Couldn't generate preview for path %@ with size %lu",
                 source.path, size);
    return finishPreview(std::nullopt);
  }
  if (!writePreview(*image, size, source, previewPath)) {
    ZQ_ENTRY_LOG(ZqLogLevel::Warning, "Couldnt' write preview file %@", previewPath);
    return finishPreview(std::nullopt);
  }
  finishPreview(previewPath);
}

std::optional<std::vector<std::string>> stringArray(const nlohmann::json& value) {
  if (!value.is_array()) return std::nullopt;
  std::vector<std::string> paths;
  for (const auto& each : value) {
    if (!each.is_string()) continue;
    const auto& path = each.get_ref<const std::string&>();
    if (!path.empty() && path.find('\0') == std::string::npos) paths.push_back(path);
  }
  return paths;
}

// The paths of a JSON array text; nullopt with the parse error for anything else.
std::optional<std::vector<std::string>> parsePaths(const std::string& text, std::string& error) {
  auto parsed = ZqConvertFromJSONString(text, &error);
  if (!parsed) return std::nullopt;
  auto paths = stringArray(*parsed);
  if (!paths) error = "the paths are not an array";
  return paths;
}

// An anchor coordinate: numbers as they are (clamped to what a screen could hold), numeric
// text by its value, other scalars and missing keys 0. Arrays, objects and null are refused.
std::optional<double> coordinate(const nlohmann::json& point, const char* key) {
  const auto found = point.find(key);
  if (found == point.end()) return 0.0;
  if (found->is_array() || found->is_object() || found->is_null()) return std::nullopt;
  double value = 0;
  if (found->is_number()) {
    value = found->get<double>();
  } else if (found->is_string()) {
    try {
      value = std::stod(found->get<std::string>());
    } catch (const std::exception&) {
      value = 0;
    }
  }
  if (!std::isfinite(value)) return 0.0;
  constexpr double kLimit = 1 << 24;
  return std::trunc(std::clamp(value, -kLimit, kLimit));
}

}  // namespace

Napi::Value quickLook(const ZqArgs& args) {
  auto env = args.Env();
  auto window = ToWindow(args.at(0));
  if (!window) {
    ZQ_ENTRY_LOG(ZqLogLevel::Error, "Need a window to quick look.");
    return env.Undefined();
  }
  const std::string text = convertToString(args.at(1)).value_or("");
  std::string error;
  auto paths = parsePaths(text, error);
  if (!paths) {
    ZQ_ENTRY_LOG(ZqLogLevel::Error, "error parsing options %@ (%@)", error, text);
    return env.Undefined();
  }
  ZqQuickLookFiles(window, std::move(*paths), ZqInt32Value(args.at(2)), args.at(3));
  return env.Undefined();
}

Napi::Value shareFiles(const ZqArgs& args) {
  auto env = args.Env();
  auto window = ToWindow(args.at(0));
  if (!window) {
    ZQ_ENTRY_LOG(ZqLogLevel::Error, "Need a window to share files.");
    return env.Undefined();
  }
  const std::string pathsText = convertToString(args.at(1)).value_or("");
  std::string error;
  auto paths = parsePaths(pathsText, error);
  if (!paths) {
    ZQ_ENTRY_LOG(ZqLogLevel::Error, "error parsing pathsString %@ (%@)", error, pathsText);
    return env.Undefined();
  }
  const std::string pointText = convertToString(args.at(2)).value_or("");
  auto point = ZqConvertFromJSONString(pointText, &error);
  if (point && !point->is_object()) {
    error = "the point is not an object";
    point.reset();
  }
  auto x = point ? coordinate(*point, "x") : std::nullopt;
  auto y = point ? coordinate(*point, "y") : std::nullopt;
  if (point && (!x || !y)) error = "a coordinate is not a number";
  if (!x || !y) {
    ZQ_ENTRY_LOG(ZqLogLevel::Error, "Error parsing rect JSON string %@ (%@)", error, pointText);
    return env.Undefined();
  }
  ZqShareFiles(std::move(*paths), window, platform::Rect{*x, *y, 0, 0},
               platform::SharingServicePicker::Edge::MinY);
  return env.Undefined();
}

Napi::Value generatePreview(const ZqArgs& args) {
  auto env = args.Env();
  if (previewCallback().isSet()) {
    ZQ_ENTRY_LOG(ZqLogLevel::Warning,
                 "There's already a generatePreview call in progress, try again later.");
    velquarin::node::callHost(env, args.at(3).As<Napi::Function>(), nullptr, {});
    return env.Undefined();
  }
  previewCallback().set(args.at(3));
  const std::string path = convertToString(args.at(0)).value_or("");
  const int size = ZqInt32Value(args.at(1));
  const std::string directory = convertToString(args.at(2)).value_or("");
  const double pixels = size * platform::Screen::backingScaleFactor();
  if (pixels < 1 || pixels > kMaxPreviewPixels) {
    ZQ_ENTRY_LOG(ZqLogLevel::Warning, "Couldn't generate preview for path %@ with size %lu", path,
                 size);
    finishPreview(std::nullopt);
    return env.Undefined();
  }
  const std::string name = std::filesystem::path(path).stem().string();
  if (path.empty() || name.empty()) {
    // No URL for an empty path; no preview name for a path ending in a folder.
    if (!path.empty()) {
      ZQ_ENTRY_LOG(ZqLogLevel::Warning, "Couldn't generate preview for path %@ with size %lu", path,
                   size);
    }
    if (path.empty()) ZqImagePreview(path, size, false, nullptr);
    finishPreview(std::nullopt);
    return env.Undefined();
  }
  const PreviewSource source = previewSource(path);
  const std::string previewPath = (std::filesystem::path(directory) / (name + ".png")).string();

  if (auto failure = ZqCreateDirectory(directory)) {
    ZQ_ENTRY_LOG(ZqLogLevel::Warning, "Cannot create directory %@ because of %@", directory,
                 failure->description());
    finishPreview(std::nullopt);
    return env.Undefined();
  }
  switch (existingPreview(previewPath, source)) {
    case Existing::Current:
      finishPreview(previewPath);
      return env.Undefined();
    case Existing::Foreign:
      ZQ_ENTRY_LOG(ZqLogLevel::Warning, "Not replacing %@: it is not a preview of ours",
                   previewPath);
      finishPreview(std::nullopt);
      return env.Undefined();
    case Existing::None:
    case Existing::Stale:
      break;
  }
  const bool started = ZqImagePreview(path, size, false, [source, size, previewPath](auto image) {
    previewDone(image, source, size, previewPath);
  });
  if (!started) finishPreview(std::nullopt);
  return env.Undefined();
}

Napi::Value printPath(const ZqArgs& args) {
  ZqPreview::printFile(convertToString(args.at(0)).value_or(""));
  return args.Env().Undefined();
}

}  // namespace zq::exports
