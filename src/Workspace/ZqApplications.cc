#include "Workspace/ZqApplications.h"

#include <glib.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <filesystem>

#include "Extensions/NSImage+ZqExtensions.h"
#include "Utilities/ZqLog.h"
#include "applications/Applications.h"
#include "bundle/Bundle.h"
#include "filemanager/FileManager.h"
#include "icons/IconImage.h"
#include "icons/IconTheme.h"
#include "runloop/BackgroundQueue.h"
#include "screen/Screen.h"

namespace platform = velquarin::platform;

// The host knows these lines under the module's entry.
#define ZQ_ENTRY_LOG(level, format, ...) \
  ZQ_LOG_AS("VelquarinNative", level, format __VA_OPT__(, ) __VA_ARGS__)

namespace {

constexpr const char* kExcludedIdentifier = "com.apple.system-library";
constexpr double kMaxIconPixels = 4096;

bool isUTF8(const std::string& text) {
  return g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr);
}

std::string lowercased(const std::string& text) {
  if (!isUTF8(text)) return text;
  std::unique_ptr<gchar, decltype(&g_free)> lower(
      g_utf8_strdown(text.data(), static_cast<gssize>(text.size())), g_free);
  return lower ? std::string(lower.get()) : text;
}

int themeScale() {
  return std::max(1, static_cast<int>(std::lround(platform::Screen::backingScaleFactor())));
}

struct IconJob {
  std::string source;  // the icon file to draw
  std::string target;  // the PNG to write
};

// Draws the icons on the background queue; the caller waits, as the list is its answer.
void drawIcons(const std::vector<IconJob>& jobs, int size) {
  platform::BackgroundQueue::shared().apply(jobs.size(), [&jobs, size](std::size_t i) {
    auto image = ZqBitmapImageRep(jobs[i].source, size);
    if (!image || !ZqWriteImage(*image, jobs[i].target)) {
      ZQ_ENTRY_LOG(ZqLogLevel::Warning, "Couldn't write icon file %@", jobs[i].target);
    }
  });
}

}  // namespace

std::optional<std::string> ZqUTIForFileExtension(const std::string& extension) {
  return platform::contentTypeForExtension(extension);
}

std::optional<std::string> ZqDefaultAppForUTI(const std::string& type) {
  return platform::defaultApplicationIdForContentType(type);
}

std::optional<ZqIconSource> ZqGetApplicationIconForBundleId(const std::string& bundleId) {
  auto app = platform::applicationWithId(bundleId);
  if (!app) return std::nullopt;
  return ZqIconSource{app->iconNames, app->iconFile};
}

std::optional<std::string> ZqApplicationNameForBundleId(const std::string& bundleId) {
  auto app = platform::applicationWithId(bundleId);
  if (!app || app->name.empty() || !isUTF8(app->name)) return std::nullopt;
  return app->name;
}

ZqIconSource ZqGetIconForPathExtension(const std::string& extension) {
  // An unknown extension shows the generic document, as a file of no known type does.
  const auto type = ZqUTIForFileExtension(extension).value_or("application/octet-stream");
  auto names = platform::iconNamesForContentType(type);
  names.push_back("application-x-generic");
  return ZqIconSource{names, std::nullopt};
}

bool ZqIconSizeDrawable(std::int64_t size) {
  const double pixels = static_cast<double>(size) * platform::Screen::backingScaleFactor();
  return pixels >= 1 && pixels <= kMaxIconPixels;
}

std::optional<std::string> ZqIconFile(const ZqIconSource& source, const platform::IconTheme& theme,
                                      int size) {
  if (source.file) return source.file;
  return theme.lookup(source.names, size, themeScale());
}

std::shared_ptr<platform::Image> ZqBitmapImageRep(const std::string& iconFile, int size) {
  const double side = size;
  auto image = platform::loadIconImage(iconFile, side, platform::Screen::backingScaleFactor());
  return zq_scaleToSize(image, platform::Size{side, side});
}

std::optional<std::string> ZqPathForImage(const std::string& directory, const std::string& name) {
  if (name.find('/') != std::string::npos) {
    ZQ_ENTRY_LOG(ZqLogLevel::Warning, "Refusing the icon name %@: it names another folder", name);
    return std::nullopt;
  }
  return (std::filesystem::path(directory) / (name + ".png")).string();
}

bool ZqWriteImage(const platform::Image& image, const std::string& path) {
  const auto png = image.representation(platform::BitmapFileType::PNG);
  // Atomic: lists reuse an existing file forever, so a torn one would stay.
  return png && !platform::writeData(path, *png, true, false);
}

std::optional<platform::FileError> ZqCreateDirectory(const std::string& directory) {
  std::error_code error;
  if (directory.empty()) return platform::FileError{ENOENT, directory};
  if (std::filesystem::is_directory(directory, error)) return std::nullopt;
  std::filesystem::create_directories(directory, error);
  if (std::filesystem::is_directory(directory, error)) return std::nullopt;
  return platform::FileError{error ? error.value() : ENOTDIR, directory};
}

nlohmann::json ZqAppsFromBundleIds(const std::vector<platform::InstalledApplication>& apps,
                                   const std::optional<std::string>& defaultIdentifier,
                                   std::int64_t size, const std::optional<std::string>& directory) {
  const auto bundle = platform::Bundle::main();
  const std::string own = lowercased(bundle ? bundle->identifier().value_or("") : "");
  const bool drawable = !directory || ZqIconSizeDrawable(size);
  if (!drawable) {
    ZQ_ENTRY_LOG(ZqLogLevel::Warning, "Icons of %@ points are not drawn", std::to_string(size));
  }
  std::optional<platform::IconTheme> theme;
  std::vector<IconJob> jobs;
  auto entries = nlohmann::json::array();
  for (const auto& app : apps) {
    const std::string& identifier = app.id;
    if (identifier == kExcludedIdentifier || app.path.empty()) continue;
    if (!isUTF8(app.path) || !isUTF8(app.name) || !isUTF8(identifier)) {
      ZQ_ENTRY_LOG(ZqLogLevel::Warning, "Leaving out an application whose name is not UTF-8");
      continue;
    }
    std::string imagePath;
    if (directory) {
      if (auto path = ZqPathForImage(*directory, identifier)) imagePath = *path;
      std::error_code error;
      if (drawable && !imagePath.empty() && !std::filesystem::exists(imagePath, error)) {
        if (!theme) theme = platform::IconTheme::current();
        const ZqIconSource source{app.iconNames, app.iconFile};
        if (auto file = ZqIconFile(source, *theme, static_cast<int>(size))) {
          jobs.push_back({*file, imagePath});
        } else {
          ZQ_ENTRY_LOG(ZqLogLevel::Warning, "Couldn't write icon file %@", imagePath);
        }
      }
    }
    entries.push_back({{"path", app.path},
                       {"name", app.name},
                       {"bundle-id", identifier},
                       {"default?", defaultIdentifier && identifier == *defaultIdentifier},
                       {"image-path", imagePath},
                       {"our-entry?", lowercased(identifier) == own}});
  }
  if (!jobs.empty()) drawIcons(jobs, static_cast<int>(size));
  return entries;
}

nlohmann::json ZqApplicationsForFileExtension(const std::string& extension, std::int64_t size,
                                              const std::optional<std::string>& directory) {
  const auto type = ZqUTIForFileExtension(extension);
  if (!type) return nlohmann::json::array();
  return ZqAppsFromBundleIds(platform::applicationsForContentType(*type), ZqDefaultAppForUTI(*type),
                             size, directory);
}

nlohmann::json ZqApplicationsForURLScheme(const std::string& scheme, std::int64_t size,
                                          const std::optional<std::string>& directory) {
  if (!platform::normalizedScheme(scheme)) {
    ZQ_ENTRY_LOG(ZqLogLevel::Warning, "Not a URL scheme: %@", scheme);
    return nlohmann::json::array();
  }
  return ZqAppsFromBundleIds(platform::applicationsForScheme(scheme),
                             platform::defaultApplicationIdForScheme(scheme), size, directory);
}

std::optional<std::string> ZqGetDefaultApplicationForURLScheme(const std::string& scheme) {
  if (!platform::normalizedScheme(scheme)) {
    ZQ_ENTRY_LOG(ZqLogLevel::Warning, "Not a URL scheme: %@", scheme);
    return std::nullopt;
  }
  return platform::defaultApplicationIdForScheme(scheme);
}

bool ZqSetDefaultApplicationForURLScheme(const std::string& scheme, const std::string& bundleId) {
  using Result = platform::SetDefaultResult;
  switch (platform::setDefaultApplicationForScheme(scheme, bundleId)) {
    case Result::Done:
      return true;
    case Result::InvalidScheme:
      ZQ_ENTRY_LOG(ZqLogLevel::Warning, "Not a URL scheme: %@", scheme);
      return false;
    case Result::UnknownApplication:
      ZQ_ENTRY_LOG(ZqLogLevel::Warning, "No application %@ to handle %@", bundleId, scheme);
      return false;
    case Result::UnreadableSettings:
      ZQ_ENTRY_LOG(ZqLogLevel::Warning,
                   "mimeapps.list does not parse; leaving it as it is instead of replacing it");
      return false;
    case Result::Refused:
      ZQ_ENTRY_LOG(ZqLogLevel::Warning, "Couldn't make %@ the handler of %@", bundleId, scheme);
      return false;
  }
  return false;
}

void ZqOpenInfoForFile(const std::string& path) {
  std::error_code error;
  const auto absolute = std::filesystem::absolute(path, error);
  if (path.empty() || error || !std::filesystem::exists(absolute, error)) {
    ZQ_ENTRY_LOG(ZqLogLevel::Warning, "No file at %@ to show information for", path);
    return;
  }
  // The path travels only as a file URI inside a bus message: nothing parses it as code.
  std::unique_ptr<gchar, decltype(&g_free)> uri(
      g_filename_to_uri(absolute.lexically_normal().c_str(), nullptr, nullptr), g_free);
  if (!uri) {
    ZQ_ENTRY_LOG(ZqLogLevel::Warning, "No file URI for %@", path);
    return;
  }
  platform::FileManager::shared().showItemProperties({uri.get()});
}
