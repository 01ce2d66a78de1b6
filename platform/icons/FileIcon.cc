#include "icons/FileIcon.h"

#include <gio/gio.h>

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
template <typename T>
using GObjectPtr = std::unique_ptr<T, ObjectUnref>;

std::vector<std::string> namesOf(GIcon* icon) {
  std::vector<std::string> names;
  if (!icon) return names;
  if (gioIsA(icon, gio().themed_icon_get_type())) {
    for (const gchar* const* name =
             gio().themed_icon_get_names(gioCast<GThemedIcon>(icon, gio().themed_icon_get_type()));
         name && *name; ++name) {
      names.emplace_back(*name);
    }
  } else if (std::unique_ptr<gchar, GFree> text(gio().icon_to_string(icon)); text) {
    names.emplace_back(text.get());
  }
  return names;
}

}  // namespace

std::vector<std::string> iconNamesForFile(const std::string& path) {
  if (path.empty() || !GioLibrary::get()) return {};
  // The item itself first (a folder, a link, a file of a known type) ...
  const GObjectPtr<GFile> file(gio().file_new_for_path(path.c_str()));
  const GObjectPtr<GFileInfo> info(gio().file_query_info(file.get(), G_FILE_ATTRIBUTE_STANDARD_ICON,
                                                         G_FILE_QUERY_INFO_NONE, nullptr, nullptr));
  if (GIcon* icon = info ? gio().file_info_get_icon(info.get()) : nullptr) {
    if (auto names = namesOf(icon); !names.empty()) return names;
  }
  // ... else what its name suggests.
  const std::unique_ptr<gchar, GFree> type(
      gio().content_type_guess(path.c_str(), nullptr, 0, nullptr));
  if (!type) return {};
  const GObjectPtr<GIcon> icon(gio().content_type_get_icon(type.get()));
  return namesOf(icon.get());
}

}  // namespace velquarin::platform
