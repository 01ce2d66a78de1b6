#include "icons/FileIcon.h"

#include <gio/gio.h>

#include <memory>

namespace velquarin::platform {
namespace {

struct ObjectUnref {
  void operator()(gpointer object) const { g_object_unref(object); }
};
struct GFree {
  void operator()(gpointer memory) const { g_free(memory); }
};
template <typename T>
using GObjectPtr = std::unique_ptr<T, ObjectUnref>;

std::vector<std::string> namesOf(GIcon* icon) {
  std::vector<std::string> names;
  if (!icon) return names;
  if (G_IS_THEMED_ICON(icon)) {
    for (const gchar* const* name = g_themed_icon_get_names(G_THEMED_ICON(icon)); name && *name;
         ++name) {
      names.emplace_back(*name);
    }
  } else if (std::unique_ptr<gchar, GFree> text(g_icon_to_string(icon)); text) {
    names.emplace_back(text.get());
  }
  return names;
}

}  // namespace

std::vector<std::string> iconNamesForFile(const std::string& path) {
  if (path.empty()) return {};
  // The item itself first (a folder, a link, a file of a known type) ...
  const GObjectPtr<GFile> file(g_file_new_for_path(path.c_str()));
  const GObjectPtr<GFileInfo> info(g_file_query_info(file.get(), G_FILE_ATTRIBUTE_STANDARD_ICON,
                                                     G_FILE_QUERY_INFO_NONE, nullptr, nullptr));
  if (GIcon* icon = info ? g_file_info_get_icon(info.get()) : nullptr) {
    if (auto names = namesOf(icon); !names.empty()) return names;
  }
  // ... else what its name suggests.
  const std::unique_ptr<gchar, GFree> type(g_content_type_guess(path.c_str(), nullptr, 0, nullptr));
  if (!type) return {};
  const GObjectPtr<GIcon> icon(g_content_type_get_icon(type.get()));
  return namesOf(icon.get());
}

}  // namespace velquarin::platform
