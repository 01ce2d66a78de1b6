#include "strings/StringTables.h"

#include <sys/stat.h>

#include <fstream>
#include <iterator>
#include <map>
#include <mutex>
#include <optional>

#include "locale/Locale.h"
#include "plist/PropertyList.h"

namespace velquarin::platform {
namespace {

// String tables are small; a bigger file is not one.
constexpr std::size_t kMaxTableBytes = 1u << 20;

using Table = std::map<std::string, std::string, std::less<>>;

// Tables are read once per process (a missing or unreadable one as empty).
const Table& tableAt(const std::string& path) {
  static std::mutex mutex;
  static std::map<std::string, Table> tables;
  std::lock_guard lock(mutex);
  if (auto found = tables.find(path); found != tables.end()) return found->second;
  Table& table = tables[path];
  struct stat info {};
  if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) ||
      static_cast<std::uint64_t>(info.st_size) > kMaxTableBytes) {
    return table;
  }
  std::ifstream in(path, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const PlistPtr root = parsePropertyList(bytes);
  if (!root || plist_get_node_type(root.get()) != PLIST_DICT) return table;
  plist_dict_iter iter = nullptr;
  plist_dict_new_iter(root.get(), &iter);
  for (;;) {
    char* key = nullptr;
    plist_t value = nullptr;
    plist_dict_next_item(root.get(), iter, &key, &value);
    if (!key) break;
    if (value && plist_get_node_type(value) == PLIST_STRING) {
      char* text = nullptr;
      plist_get_string_val(value, &text);
      if (text) table.emplace(key, text);
      std::free(text);
    }
    std::free(key);
  }
  std::free(iter);
  return table;
}

// Folder names to try for a language tag, most specific first.
std::vector<std::string> folderNames(const std::string& tag) {
  std::vector<std::string> names;
  if (tag.empty() || tag.find('/') != std::string::npos || tag.find("..") != std::string::npos) {
    return names;
  }
  for (std::string name = tag;;) {
    names.push_back(name);
    std::string underscored = name;
    for (char& c : underscored) c = c == '-' ? '_' : c;
    if (underscored != name) names.push_back(underscored);
    const auto dash = name.rfind('-');
    if (dash == std::string::npos) break;
    name.resize(dash);
  }
  return names;
}

}  // namespace

std::string localizedString(const Bundle& bundle, const std::string& key,
                            const std::string& fallback, const std::string& table) {
  if (table.empty() || table.find('/') != std::string::npos) return fallback;
  for (const std::string& language : Locale::preferredLanguages()) {
    for (const std::string& folder : folderNames(language)) {
      const Table& strings =
          tableAt(bundle.resourcesPath() + "/" + folder + ".lproj/" + table + ".strings");
      if (auto found = strings.find(key); found != strings.end()) return found->second;
    }
  }
  return fallback;
}

}  // namespace velquarin::platform
