#include "applications/Applications.h"

#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>
#include <sys/stat.h>

#include <algorithm>
#include <memory>

#include "gio/GioLibrary.h"

namespace velquarin::platform {
namespace {

struct ObjectUnref {
  void operator()(gpointer object) const { gio().object_unref(object); }
};
struct GFree {
  void operator()(gpointer memory) const { g_free(memory); }
};
struct AppListFree {
  void operator()(GList* list) const { g_list_free_full(list, gio().object_unref); }
};
struct StringListFree {
  void operator()(GList* list) const { g_list_free_full(list, g_free); }
};
struct ErrorFree {
  void operator()(GError* error) const { g_error_free(error); }
};
struct KeyFileFree {
  void operator()(GKeyFile* file) const { g_key_file_free(file); }
};
template <typename T>
using GObjectPtr = std::unique_ptr<T, ObjectUnref>;
using GText = std::unique_ptr<gchar, GFree>;
using AppList = std::unique_ptr<GList, AppListFree>;
using ErrorPtr = std::unique_ptr<GError, ErrorFree>;

constexpr std::string_view kDesktopSuffix = ".desktop";
constexpr std::size_t kMaxSchemeLength = 64;

bool endsWith(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

std::string_view withoutSuffix(std::string_view id) {
  return endsWith(id, kDesktopSuffix) ? id.substr(0, id.size() - kDesktopSuffix.size()) : id;
}

// What GIO may be handed as a desktop-file id: never empty, no folders, no control bytes.
bool plausibleId(std::string_view id) {
  return !id.empty() && std::none_of(id.begin(), id.end(), [](unsigned char c) {
    return c == '/' || c < 0x20 || c == 0x7F;
  });
}

std::string errorText(const GError* error, std::string_view fallback) {
  return error && error->message ? std::string(error->message) : std::string(fallback);
}

std::vector<std::string> themedNames(GIcon* icon) {
  std::vector<std::string> names;
  if (!icon || !gioIsA(icon, gio().themed_icon_get_type())) return names;
  for (auto* name =
           gio().themed_icon_get_names(gioCast<GThemedIcon>(icon, gio().themed_icon_get_type()));
       name && *name; ++name) {
    if (!endsWith(*name, "-symbolic")) names.emplace_back(*name);
  }
  return names;
}

InstalledApplication describe(GAppInfo* info) {
  InstalledApplication app;
  auto* desktop = gioCast<GDesktopAppInfo>(info, gio().desktop_app_info_get_type());
  const char* filename = gio().desktop_app_info_get_filename(desktop);
  app.path = filename ? filename : "";
  // GIO has no id for an entry opened by its path: its file name stands in.
  const char* id = gio().app_info_get_id(info);
  const std::string base = id ? id : GText(g_path_get_basename(app.path.c_str())).get();
  app.id = std::string(withoutSuffix(base));
  const char* name = gio().app_info_get_name(info);
  app.name = name ? name : "";
  GIcon* icon = gio().app_info_get_icon(info);
  if (icon && gioIsA(icon, gio().file_icon_get_type())) {
    if (GText file(gio().file_get_path(
            gio().file_icon_get_file(gioCast<GFileIcon>(icon, gio().file_icon_get_type()))));
        file) {
      app.iconFile = file.get();
    }
  } else {
    app.iconNames = themedNames(icon);
  }
  if (!app.iconFile && app.iconNames.empty()) app.iconNames = {"application-x-executable"};
  return app;
}

// Without GIO no application is known: lookups find nothing, launches fail with a reason.
bool gioLoaded() {
  return GioLibrary::get() != nullptr;
}

GObjectPtr<GAppInfo> installedInfo(std::string_view id) {
  if (!plausibleId(id) || !gioLoaded()) return nullptr;
  const std::string desktopId = std::string(id) + std::string(kDesktopSuffix);
  return GObjectPtr<GAppInfo>(
      reinterpret_cast<GAppInfo*>(gio().desktop_app_info_new(desktopId.c_str())));
}

std::string idOf(GAppInfo* info) {
  const char* id = gio().app_info_get_id(info);
  return id ? std::string(withoutSuffix(id)) : std::string();
}

std::string schemeType(const std::string& scheme) {
  return "x-scheme-handler/" + scheme;
}

bool isRegularFile(const std::string& path) {
  struct stat status {};
  return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

GObjectPtr<GAppInfo> findInfo(std::string_view application) {
  const std::string text(application);
  if (text.empty() || text.find('\0') != std::string::npos || !gioLoaded()) return nullptr;
  if (text.front() == '/') {
    // Only regular files: reading a FIFO or a device would hang or never end.
    if (!endsWith(text, kDesktopSuffix) || !isRegularFile(text)) return nullptr;
    return GObjectPtr<GAppInfo>(
        reinterpret_cast<GAppInfo*>(gio().desktop_app_info_new_from_filename(text.c_str())));
  }
  if (auto info = installedInfo(withoutSuffix(text))) return info;
  const AppList all(gio().app_info_get_all());
  for (GList* item = all.get(); item; item = item->next) {
    auto* info = reinterpret_cast<GAppInfo*>(item->data);
    const char* name = gio().app_info_get_name(info);
    if (name && text == name && gioIsA(info, gio().desktop_app_info_get_type())) {
      return GObjectPtr<GAppInfo>(reinterpret_cast<GAppInfo*>(gio().object_ref(info)));
    }
  }
  return nullptr;
}

// A mimeapps.list that GKeyFile cannot read would be replaced by an empty one on the next
// change, losing every default the user set.
bool userSettingsReadable() {
  const GText path(g_build_filename(g_get_user_config_dir(), "mimeapps.list", nullptr));
  std::unique_ptr<GKeyFile, KeyFileFree> file(g_key_file_new());
  GError* raw = nullptr;
  if (g_key_file_load_from_file(file.get(), path.get(), G_KEY_FILE_KEEP_COMMENTS, &raw)) {
    return true;
  }
  const ErrorPtr error(raw);
  return g_error_matches(error.get(), G_FILE_ERROR, G_FILE_ERROR_NOENT);
}

bool launch(GAppInfo* info, const std::vector<std::string>& uris, std::string* error) {
  GList* list = nullptr;
  for (auto it = uris.rbegin(); it != uris.rend(); ++it)
    list = g_list_prepend(list, g_strdup(it->c_str()));
  const std::unique_ptr<GList, StringListFree> owned(list);
  GError* raw = nullptr;
  const bool launched = gio().app_info_launch_uris(info, owned.get(), nullptr, &raw);
  const ErrorPtr failure(raw);
  if (!launched && error) *error = errorText(failure.get(), "launch failed");
  return launched;
}

bool openURIs(const std::vector<std::string>& uris, const std::optional<std::string>& application,
              std::string* error) {
  if (uris.empty()) return false;
  if (!gioLoaded()) {
    if (error) *error = "GIO could not be loaded";
    return false;
  }
  if (application) {
    auto info = findInfo(*application);
    if (!info) {
      if (error) *error = "no application " + *application;
      return false;
    }
    return launch(info.get(), uris, error);
  }
  bool all = true;
  for (const auto& uri : uris) {
    GError* raw = nullptr;
    const bool opened = gio().app_info_launch_default_for_uri(uri.c_str(), nullptr, &raw);
    const ErrorPtr failure(raw);
    if (!opened && error) *error = errorText(failure.get(), "no default application");
    all = all && opened;
  }
  return all;
}

}  // namespace

std::optional<InstalledApplication> applicationWithId(std::string_view id) {
  auto info = installedInfo(id);
  if (!info) return std::nullopt;
  return describe(info.get());
}

std::optional<InstalledApplication> findApplication(std::string_view application) {
  auto info = findInfo(application);
  if (!info) return std::nullopt;
  return describe(info.get());
}

std::optional<std::string> contentTypeForExtension(std::string_view extension) {
  const std::string text(extension);
  if (text.empty() || text.find('/') != std::string::npos || text.find('\0') != std::string::npos ||
      !gioLoaded()) {
    return std::nullopt;
  }
  // The type a file of that name would have, from the name alone.
  const std::string name = "file." + text;
  gboolean uncertain = FALSE;
  const GText type(gio().content_type_guess(name.c_str(), nullptr, 0, &uncertain));
  if (!type || uncertain || gio().content_type_is_unknown(type.get())) return std::nullopt;
  return std::string(type.get());
}

std::vector<InstalledApplication> applicationsForContentType(const std::string& contentType) {
  std::vector<InstalledApplication> apps;
  if (contentType.empty() || !gioLoaded()) return apps;
  const AppList all(gio().app_info_get_all_for_type(contentType.c_str()));
  for (GList* item = all.get(); item; item = item->next) {
    auto* info = reinterpret_cast<GAppInfo*>(item->data);
    if (gioIsA(info, gio().desktop_app_info_get_type()) && gio().app_info_get_id(info))
      apps.push_back(describe(info));
  }
  return apps;
}

std::optional<std::string> defaultApplicationIdForContentType(const std::string& contentType) {
  if (contentType.empty() || !gioLoaded()) return std::nullopt;
  const GObjectPtr<GAppInfo> info(gio().app_info_get_default_for_type(contentType.c_str(), FALSE));
  if (!info) return std::nullopt;
  auto id = idOf(info.get());
  return id.empty() ? std::nullopt : std::optional(id);
}

std::vector<std::string> iconNamesForContentType(const std::string& contentType) {
  if (contentType.empty() || !gioLoaded()) return {};
  const GObjectPtr<GIcon> icon(gio().content_type_get_icon(contentType.c_str()));
  return themedNames(icon.get());
}

std::optional<std::string> normalizedScheme(std::string_view scheme) {
  if (scheme.empty() || scheme.size() > kMaxSchemeLength) return std::nullopt;
  auto isAlpha = [](unsigned char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
  if (!isAlpha(scheme.front())) return std::nullopt;
  std::string normalized;
  for (const unsigned char c : scheme) {
    if (!isAlpha(c) && !(c >= '0' && c <= '9') && c != '+' && c != '-' && c != '.') {
      return std::nullopt;
    }
    normalized.push_back(static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c));
  }
  return normalized;
}

std::vector<InstalledApplication> applicationsForScheme(std::string_view scheme) {
  const auto normalized = normalizedScheme(scheme);
  return normalized ? applicationsForContentType(schemeType(*normalized))
                    : std::vector<InstalledApplication>{};
}

std::optional<std::string> defaultApplicationIdForScheme(std::string_view scheme) {
  const auto normalized = normalizedScheme(scheme);
  return normalized ? defaultApplicationIdForContentType(schemeType(*normalized)) : std::nullopt;
}

SetDefaultResult setDefaultApplicationForScheme(std::string_view scheme, std::string_view id) {
  const auto normalized = normalizedScheme(scheme);
  if (!normalized) return SetDefaultResult::InvalidScheme;
  auto info = installedInfo(id);
  if (!info) return SetDefaultResult::UnknownApplication;
  if (!userSettingsReadable()) return SetDefaultResult::UnreadableSettings;
  const bool set =
      gio().app_info_set_as_default_for_type(info.get(), schemeType(*normalized).c_str(), nullptr);
  return set ? SetDefaultResult::Done : SetDefaultResult::Refused;
}

bool openFiles(const std::vector<std::string>& paths, const std::optional<std::string>& application,
               std::string* error) {
  std::vector<std::string> uris;
  if (!gioLoaded()) return openURIs(paths, application, error);  // fails with the reason
  for (const auto& path : paths) {
    const GObjectPtr<GFile> file(gio().file_new_for_path(path.c_str()));
    const GText absolute(gio().file_get_path(file.get()));
    struct stat status {};
    if (path.empty() || !absolute || ::stat(absolute.get(), &status) != 0) {
      if (error) *error = "no file at " + path;
      return false;
    }
    const GText uri(g_filename_to_uri(absolute.get(), nullptr, nullptr));
    if (!uri) return false;
    uris.emplace_back(uri.get());
  }
  return openURIs(uris, application, error);
}

bool openURLs(const std::vector<std::string>& urls, const std::optional<std::string>& application,
              std::string* error) {
  for (const auto& url : urls) {
    const GText scheme(g_uri_parse_scheme(url.c_str()));
    if (!scheme || !normalizedScheme(scheme.get()) || url.find('\0') != std::string::npos) {
      if (error) *error = "not a URL: " + url;
      return false;
    }
  }
  return openURIs(urls, application, error);
}

}  // namespace velquarin::platform
