#include "icons/IconTheme.h"

#include <dirent.h>
#include <glib.h>
#include <sys/stat.h>

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "appearance/PortalSetting.h"

namespace velquarin::platform {
namespace {

struct KeyFileFree {
  void operator()(GKeyFile* file) const { g_key_file_free(file); }
};
struct StrvFree {
  void operator()(gchar** list) const { g_strfreev(list); }
};
struct GFree {
  void operator()(gchar* text) const { g_free(text); }
};
struct DirClose {
  void operator()(DIR* dir) const { closedir(dir); }
};
using KeyFile = std::unique_ptr<GKeyFile, KeyFileFree>;

constexpr const char* kDefaultTheme = "Adwaita";
constexpr const char* kFallbackTheme = "hicolor";
constexpr const char* kIndexGroup = "Icon Theme";

// A theme name is one folder name: nothing that reaches elsewhere.
bool plausibleName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

bool isDirectory(const std::string& path) {
  struct stat status {};
  return ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

std::vector<std::string> stringList(GKeyFile* file, const char* group, const char* key) {
  std::vector<std::string> values;
  std::unique_ptr<gchar*, StrvFree> list(
      g_key_file_get_string_list(file, group, key, nullptr, nullptr));
  for (gchar** item = list.get(); item && *item; ++item) {
    std::string value = *item;
    const auto first = value.find_first_not_of(' ');
    const auto last = value.find_last_not_of(' ');
    if (first != std::string::npos) values.push_back(value.substr(first, last - first + 1));
  }
  return values;
}

int integer(GKeyFile* file, const char* group, const char* key, int fallback) {
  GError* error = nullptr;
  const int value = g_key_file_get_integer(file, group, key, &error);
  if (error) {
    g_error_free(error);
    return fallback;
  }
  return value;
}

std::optional<std::string> gtkIconThemeName() {
  const std::string config = g_get_user_config_dir();
  for (const char* version : {"gtk-4.0", "gtk-3.0"}) {
    KeyFile file(g_key_file_new());
    const std::string path = config + "/" + version + "/settings.ini";
    if (!g_key_file_load_from_file(file.get(), path.c_str(), G_KEY_FILE_NONE, nullptr)) continue;
    std::unique_ptr<gchar, GFree> name(
        g_key_file_get_string(file.get(), "Settings", "gtk-icon-theme-name", nullptr));
    if (name && plausibleName(name.get())) return std::string(name.get());
  }
  return std::nullopt;
}

}  // namespace

bool IconTheme::Directory::matches(int iconSize, int iconScale) const {
  if (scale != iconScale) return false;
  switch (type) {
    case Type::Fixed:
      return size == iconSize;
    case Type::Scalable:
      return minSize <= iconSize && iconSize <= maxSize;
    case Type::Threshold:
      return size - threshold <= iconSize && iconSize <= size + threshold;
  }
  return false;
}

int IconTheme::Directory::distance(int iconSize, int iconScale) const {
  const int wanted = iconSize * iconScale;
  auto outside = [wanted](int low, int high) {
    if (wanted < low) return low - wanted;
    if (wanted > high) return wanted - high;
    return 0;
  };
  switch (type) {
    case Type::Fixed:
      return std::abs(size * scale - wanted);
    case Type::Scalable:
      return outside(minSize * scale, maxSize * scale);
    case Type::Threshold:
      return outside((size - threshold) * scale, (size + threshold) * scale);
  }
  return INT_MAX;
}

std::string IconTheme::currentThemeName() {
  constexpr std::uint64_t kPortalTimeoutUsec = 250'000;
  if (auto name = readPortalString("org.gnome.desktop.interface", "icon-theme", kPortalTimeoutUsec);
      name && plausibleName(*name)) {
    return *name;
  }
  return gtkIconThemeName().value_or(kDefaultTheme);
}

std::vector<std::string> IconTheme::defaultBaseDirectories() {
  std::vector<std::string> bases{std::string(g_get_home_dir()) + "/.icons",
                                 std::string(g_get_user_data_dir()) + "/icons"};
  for (const gchar* const* dir = g_get_system_data_dirs(); dir && *dir; ++dir) {
    bases.push_back(std::string(*dir) + "/icons");
  }
  return bases;
}

std::vector<std::string> IconTheme::defaultPixmapDirectories() {
  std::vector<std::string> folders;
  for (const gchar* const* dir = g_get_system_data_dirs(); dir && *dir; ++dir) {
    folders.push_back(std::string(*dir) + "/pixmaps");
  }
  return folders;
}

IconTheme IconTheme::current() {
  return IconTheme(currentThemeName(), defaultBaseDirectories(), defaultPixmapDirectories());
}

IconTheme::IconTheme(const std::string& name, std::vector<std::string> baseDirectories,
                     std::vector<std::string> pixmapDirectories)
    : bases_(std::move(baseDirectories)), pixmaps_(std::move(pixmapDirectories)) {
  std::set<std::string> seen{kFallbackTheme};
  addWithParents(name, seen);
  if (auto fallback = load(kFallbackTheme)) chain_.push_back(std::move(*fallback));
}

void IconTheme::addWithParents(const std::string& name, std::set<std::string>& seen) {
  if (!seen.insert(name).second) return;
  auto theme = load(name);
  if (!theme) return;
  const auto parents = theme->parents;
  chain_.push_back(std::move(*theme));
  for (const auto& parent : parents) addWithParents(parent, seen);
}

std::optional<IconTheme::Theme> IconTheme::load(const std::string& name) const {
  if (!plausibleName(name)) return std::nullopt;
  Theme theme{name, {}, {}, {}};
  KeyFile index;
  for (const auto& base : bases_) {
    const std::string root = base + "/" + name;
    if (!isDirectory(root)) continue;
    theme.roots.push_back(root);
    if (index) continue;
    KeyFile file(g_key_file_new());
    g_key_file_set_list_separator(file.get(), ',');  // index.theme lists are comma-separated
    const std::string path = root + "/index.theme";
    if (g_key_file_load_from_file(file.get(), path.c_str(), G_KEY_FILE_NONE, nullptr)) {
      index = std::move(file);
    }
  }
  if (!index || !g_key_file_has_group(index.get(), kIndexGroup)) return std::nullopt;
  theme.parents = stringList(index.get(), kIndexGroup, "Inherits");
  auto names = stringList(index.get(), kIndexGroup, "Directories");
  for (auto& scaled : stringList(index.get(), kIndexGroup, "ScaledDirectories")) {
    names.push_back(std::move(scaled));
  }
  for (const auto& folder : names) {
    const char* group = folder.c_str();
    const int size = integer(index.get(), group, "Size", 0);
    if (size <= 0) continue;
    Directory directory;
    directory.name = folder;
    directory.size = size;
    directory.scale = integer(index.get(), group, "Scale", 1);
    directory.minSize = integer(index.get(), group, "MinSize", size);
    directory.maxSize = integer(index.get(), group, "MaxSize", size);
    directory.threshold = integer(index.get(), group, "Threshold", 2);
    std::unique_ptr<gchar, GFree> type(g_key_file_get_string(index.get(), group, "Type", nullptr));
    const std::string typeName = type ? type.get() : "Threshold";
    directory.type = typeName == "Fixed"      ? Type::Fixed
                     : typeName == "Scalable" ? Type::Scalable
                                              : Type::Threshold;
    theme.directories.push_back(std::move(directory));
  }
  return theme;
}

std::optional<std::string> IconTheme::file(const std::string& folder,
                                           const std::string& name) const {
  auto [listing, fresh] = listings_.try_emplace(folder);
  if (fresh) {
    if (std::unique_ptr<DIR, DirClose> dir(opendir(folder.c_str())); dir) {
      while (const dirent* entry = readdir(dir.get())) listing->second.insert(entry->d_name);
    }
  }
  for (const char* extension : {".png", ".svg"}) {
    if (listing->second.count(name + extension)) return folder + "/" + name + extension;
  }
  return std::nullopt;
}

std::optional<std::string> IconTheme::lookupIn(const Theme& theme, const std::string& name,
                                               int size, int scale) const {
  for (const auto& directory : theme.directories) {
    if (!directory.matches(size, scale)) continue;
    for (const auto& root : theme.roots) {
      if (auto found = file(root + "/" + directory.name, name)) return found;
    }
  }
  std::optional<std::string> closest;
  int smallest = INT_MAX;
  for (const auto& directory : theme.directories) {
    const int distance = directory.distance(size, scale);
    if (distance >= smallest) continue;
    for (const auto& root : theme.roots) {
      if (auto found = file(root + "/" + directory.name, name)) {
        closest = std::move(found);
        smallest = distance;
        break;
      }
    }
  }
  return closest;
}

std::optional<std::string> IconTheme::lookup(const std::vector<std::string>& names, int size,
                                             int scale) const {
  for (const auto& theme : chain_) {
    for (const auto& name : names) {
      if (name.empty() || name.find('/') != std::string::npos) continue;
      if (auto found = lookupIn(theme, name, size, scale)) return found;
    }
  }
  for (const auto& name : names) {
    if (name.empty() || name.find('/') != std::string::npos) continue;
    for (const auto& folder : pixmaps_) {
      if (auto found = file(folder, name)) return found;
    }
  }
  return std::nullopt;
}

std::vector<std::string> IconTheme::chain() const {
  std::vector<std::string> names;
  for (const auto& theme : chain_) names.push_back(theme.name);
  return names;
}

}  // namespace velquarin::platform
