#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace velquarin::platform {

// Icon lookup by the freedesktop Icon Theme rules, without GTK (a host may have GTK 3 or 4
// loaded; linking either here would clash): a theme's index.theme, its Inherits chain with
// hicolor last, then the pixmaps folders. Only PNG and SVG files are found. One instance
// reads each icon folder once; make a new one to see changes on disk.
class IconTheme {
 public:
  // The user's theme: the settings portal's org.gnome.desktop.interface icon-theme, else
  // gtk-icon-theme-name from GTK 4's then GTK 3's settings.ini, else Adwaita.
  static std::string currentThemeName();
  // $HOME/.icons, $XDG_DATA_HOME/icons and each $XDG_DATA_DIRS/icons, in that order; and
  // the pixmaps folder of each data folder.
  static std::vector<std::string> defaultBaseDirectories();
  static std::vector<std::string> defaultPixmapDirectories();
  // The current theme in the default folders.
  static IconTheme current();

  IconTheme(const std::string& name, std::vector<std::string> baseDirectories,
            std::vector<std::string> pixmapDirectories);

  // The file for the first of `names` that the first theme of the chain having any of them
  // has (names are tried theme by theme, as GTK does), best fitting `size` points at
  // `scale` pixels a point; else the first name in the pixmaps folders.
  std::optional<std::string> lookup(const std::vector<std::string>& names, int size,
                                    int scale) const;
  // The themes in lookup order.
  std::vector<std::string> chain() const;

 private:
  enum class Type { Fixed, Scalable, Threshold };
  struct Directory {
    std::string name;  // relative to the theme's folders
    Type type = Type::Threshold;
    int size = 0, scale = 1, minSize = 0, maxSize = 0, threshold = 2;
    bool matches(int iconSize, int iconScale) const;
    int distance(int iconSize, int iconScale) const;
  };
  struct Theme {
    std::string name;
    std::vector<std::string> roots;  // every base folder's copy of the theme
    std::vector<Directory> directories;
    std::vector<std::string> parents;
  };

  std::optional<Theme> load(const std::string& name) const;
  void addWithParents(const std::string& name, std::set<std::string>& seen);
  std::optional<std::string> lookupIn(const Theme& theme, const std::string& name, int size,
                                      int scale) const;
  std::optional<std::string> file(const std::string& folder, const std::string& name) const;

  std::vector<std::string> bases_;
  std::vector<std::string> pixmaps_;
  std::vector<Theme> chain_;
  mutable std::map<std::string, std::set<std::string>> listings_;  // folder -> file names
};

}  // namespace velquarin::platform
