#include <glib.h>

#include <functional>

#include "Exports.h"
#include "Utilities/ZqConvert.h"
#include "Utilities/ZqJSON.h"
#include "Utilities/ZqLog.h"
#include "Workspace/ZqApplications.h"
#include "applications/Applications.h"
#include "icons/IconTheme.h"

namespace platform = velquarin::platform;

#define ZQ_ENTRY_LOG(level, format, ...) \
  ZQ_LOG_AS("VelquarinNative", level, format __VA_OPT__(, ) __VA_ARGS__)

namespace zq::exports {

namespace {

// Only a leading dot normalises: ".PDF" is "pdf", "PDF" stays as it is.
std::string normalizedExtension(std::string extension) {
  if (extension.empty() || extension.front() != '.') return extension;
  extension.erase(0, 1);
  std::unique_ptr<gchar, decltype(&g_free)> lower(nullptr, g_free);
  if (g_utf8_validate(extension.data(), static_cast<gssize>(extension.size()), nullptr)) {
    lower.reset(g_utf8_strdown(extension.data(), static_cast<gssize>(extension.size())));
  }
  return lower ? std::string(lower.get()) : extension;
}

// An icon directory only when the host gave a string: anything else means no icons.
std::optional<std::string> iconDirectory(Napi::Value value) {
  return value.IsString() ? convertToString(value) : std::nullopt;
}

Napi::Value applicationList(Napi::Env env, const nlohmann::json& entries) {
  const auto text = ZqConvertToJSONString(entries);
  if (!text) {
    ZQ_ENTRY_LOG(ZqLogLevel::Warning, "Couldn't create json string");
    return env.Null();
  }
  return ZqToHostString(env, *text);
}

enum class Producer { List, SingleIcon };

bool directoryReady(const std::string& directory, Producer producer) {
  const auto error = ZqCreateDirectory(directory);
  if (!error) return true;
  if (producer == Producer::List) {
    ZQ_ENTRY_LOG(ZqLogLevel::Warning, "Couldn't create directory at path %@ because of %@",
                 directory, error->description());
  } else {
    ZQ_ENTRY_LOG(ZqLogLevel::Warning, "Couldn't create target dir for target dir %@ because of %@",
                 directory, error->description());
  }
  return false;
}

// iconForFileExtension and iconForApplication: the file for `source`, drawn and written.
Napi::Value writeIcon(Napi::Env env, const std::string& name, std::int32_t size,
                      const std::string& directory,
                      const std::function<std::optional<ZqIconSource>()>& source) {
  const auto path = ZqPathForImage(directory, name);
  if (!path) return env.Undefined();
  if (!ZqIconSizeDrawable(size)) {
    ZQ_ENTRY_LOG(ZqLogLevel::Warning, "Icons of %@ points are not drawn", std::to_string(size));
    return env.Undefined();
  }
  if (!directoryReady(directory, Producer::SingleIcon)) {
    return env.Undefined();
  }
  const auto icon = source();
  const auto file = icon ? ZqIconFile(*icon, platform::IconTheme::current(), size) : std::nullopt;
  const auto image = file ? ZqBitmapImageRep(*file, size) : nullptr;
  if (!image || !ZqWriteImage(*image, *path)) {
    ZQ_ENTRY_LOG(ZqLogLevel::Warning, "Couldn't write icon file %@", *path);
    return env.Undefined();
  }
  return ZqToHostString(env, *path);
}

}  // namespace

Napi::Value applicationsForFileExtension(const ZqArgs& args) {
  auto env = args.Env();
  const auto extension = normalizedExtension(convertToString(args.at(0)).value_or(""));
  const std::int64_t size = ZqIntegerValue(args.at(1));
  const auto directory = iconDirectory(args.at(2));
  ZQ_ENTRY_LOG(ZqLogLevel::Debug,
               "applicationsForFileExtension: extension: %@, imageSize: %lu, targetDir: %@",
               extension, size, directory);
  if (directory && !directoryReady(*directory, Producer::List)) {
    return env.Undefined();
  }
  return applicationList(env, ZqApplicationsForFileExtension(extension, size, directory));
}

Napi::Value applicationsForScheme(const ZqArgs& args) {
  auto env = args.Env();
  const auto scheme = convertToString(args.at(0)).value_or("");
  const std::int64_t size = ZqIntegerValue(args.at(1));
  const auto directory = iconDirectory(args.at(2));
  ZQ_ENTRY_LOG(ZqLogLevel::Debug, "applicationsForScheme scheme %@, imageSize: %lu, targetDir: %@",
               scheme, size, directory);
  if (directory && !directoryReady(*directory, Producer::List)) {
    return env.Undefined();
  }
  return applicationList(env, ZqApplicationsForURLScheme(scheme, size, directory));
}

Napi::Value defaultApplicationForScheme(const ZqArgs& args) {
  const auto scheme = convertToString(args.at(0)).value_or("");
  ZQ_ENTRY_LOG(ZqLogLevel::Debug, "defaultApplicationForScheme: %@", scheme);
  const auto identifier = ZqGetDefaultApplicationForURLScheme(scheme);
  ZQ_ENTRY_LOG(ZqLogLevel::Debug, "defaultApplicationForScheme: %@ -> %@", scheme, identifier);
  return ZqToHostStringOrNull(args.Env(), identifier);
}

Napi::Value setDefaultApplicationForScheme(const ZqArgs& args) {
  const auto scheme = convertToString(args.at(0)).value_or("");
  const auto identifier = convertToString(args.at(1)).value_or("");
  return Napi::Number::New(args.Env(), ZqSetDefaultApplicationForURLScheme(scheme, identifier));
}

Napi::Value iconForFileExtension(const ZqArgs& args) {
  const auto extension = convertToString(args.at(0)).value_or("");
  const auto directory = convertToString(args.at(2)).value_or("");
  return writeIcon(args.Env(), extension, ZqInt32Value(args.at(1)), directory,
                   [&] { return std::optional(ZqGetIconForPathExtension(extension)); });
}

Napi::Value iconForApplication(const ZqArgs& args) {
  const auto identifier = convertToString(args.at(0)).value_or("");
  const auto directory = convertToString(args.at(2)).value_or("");
  return writeIcon(args.Env(), identifier, ZqInt32Value(args.at(1)), directory,
                   [&] { return ZqGetApplicationIconForBundleId(identifier); });
}

Napi::Value openFile(const ZqArgs& args) {
  const auto path = convertToString(args.at(0));
  // The deactivate flag has no counterpart here: the desktop decides which window is active.
  const auto application = convertToString(args.at(1));
  std::string error;
  const bool opened = path && platform::openFiles({*path}, application, &error);
  if (!opened) {
    ZQ_ENTRY_LOG(ZqLogLevel::Warning, "Couldn't open %@: %@", path, error);
  }
  return Napi::Number::New(args.Env(), opened ? 1 : 0);
}

Napi::Value openInfoForFile(const ZqArgs& args) {
  ZqOpenInfoForFile(convertToString(args.at(0)).value_or(""));
  return args.Env().Undefined();
}

Napi::Value isApplicationInstalled(const ZqArgs& args) {
  const auto identifier = convertToString(args.at(0)).value_or("");
  return Napi::Boolean::New(args.Env(), platform::applicationWithId(identifier).has_value());
}

Napi::Value applicationName(const ZqArgs& args) {
  const auto name = ZqApplicationNameForBundleId(convertToString(args.at(0)).value_or(""));
  if (!name) {
    ZQ_ENTRY_LOG(ZqLogLevel::Warning, "Couldn't get applicationName");
    return args.Env().Null();
  }
  return ZqToHostString(args.Env(), *name);
}

}  // namespace zq::exports
