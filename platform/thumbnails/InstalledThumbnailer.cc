#include "thumbnails/InstalledThumbnailer.h"

#include <glib.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>

namespace velquarin::platform {

namespace {

struct GFree {
  void operator()(gpointer memory) const { g_free(memory); }
};
struct StrvFree {
  void operator()(gchar** strings) const { g_strfreev(strings); }
};
struct KeyFileFree {
  void operator()(GKeyFile* file) const { g_key_file_free(file); }
};

constexpr const char* kGroup = "Thumbnailer Entry";

std::vector<std::filesystem::path> searchFolders() {
  std::vector<std::filesystem::path> folders;
  const char* dataHome = std::getenv("XDG_DATA_HOME");
  const char* home = std::getenv("HOME");
  if (dataHome && *dataHome == '/') {
    folders.emplace_back(dataHome);
  } else if (home) {
    folders.emplace_back(std::filesystem::path(home) / ".local/share");
  }
  const char* dataDirs = std::getenv("XDG_DATA_DIRS");
  const std::string dirs = dataDirs && *dataDirs ? dataDirs : "/usr/local/share/:/usr/share/";
  std::size_t start = 0;
  while (start <= dirs.size()) {
    const auto end = std::min(dirs.find(':', start), dirs.size());
    if (end > start && dirs[start] == '/') folders.emplace_back(dirs.substr(start, end - start));
    start = end + 1;
  }
  for (auto& folder : folders) folder /= "thumbnailers";
  return folders;
}

// An absolute program path: as given when absolute, else looked up in $PATH.
std::optional<std::string> program(const std::string& name) {
  if (name.empty()) return std::nullopt;
  if (name.front() == '/') {
    if (::g_file_test(name.c_str(), G_FILE_TEST_IS_EXECUTABLE)) return name;
    return std::nullopt;
  }
  std::unique_ptr<gchar, GFree> found(g_find_program_in_path(name.c_str()));
  return found ? std::optional<std::string>(found.get()) : std::nullopt;
}

std::optional<InstalledThumbnailer> load(const std::filesystem::path& file) {
  std::unique_ptr<GKeyFile, KeyFileFree> keys(g_key_file_new());
  if (!g_key_file_load_from_file(keys.get(), file.c_str(), G_KEY_FILE_NONE, nullptr)) {
    return std::nullopt;
  }
  std::unique_ptr<gchar, GFree> tryExec(
      g_key_file_get_string(keys.get(), kGroup, "TryExec", nullptr));
  if (tryExec && !program(tryExec.get())) return std::nullopt;
  std::unique_ptr<gchar, GFree> exec(g_key_file_get_string(keys.get(), kGroup, "Exec", nullptr));
  gchar** split = nullptr;
  if (!exec || !g_shell_parse_argv(exec.get(), nullptr, &split, nullptr)) return std::nullopt;
  std::unique_ptr<gchar*, StrvFree> words(split);
  InstalledThumbnailer entry;
  entry.file = file.string();
  for (gchar** word = words.get(); *word; ++word) entry.exec.emplace_back(*word);
  auto resolved = program(entry.exec.front());
  if (!resolved) return std::nullopt;
  entry.exec.front() = *resolved;
  std::unique_ptr<gchar*, StrvFree> types(
      g_key_file_get_string_list(keys.get(), kGroup, "MimeType", nullptr, nullptr));
  for (gchar** type = types.get(); type && *type; ++type) entry.mimeTypes.emplace_back(*type);
  return entry;
}

}  // namespace

std::optional<InstalledThumbnailer> InstalledThumbnailer::forMimeType(const std::string& mimeType) {
  for (const auto& folder : searchFolders()) {
    std::error_code error;
    std::vector<std::filesystem::path> files;
    for (const auto& item : std::filesystem::directory_iterator(folder, error)) {
      if (item.path().extension() == ".thumbnailer") files.push_back(item.path());
    }
    std::sort(files.begin(), files.end());
    for (const auto& file : files) {
      auto entry = load(file);
      if (entry && std::find(entry->mimeTypes.begin(), entry->mimeTypes.end(), mimeType) !=
                       entry->mimeTypes.end()) {
        return entry;
      }
    }
  }
  return std::nullopt;
}

std::vector<std::string> InstalledThumbnailer::arguments(const std::string& input,
                                                         const std::string& uri,
                                                         const std::string& output,
                                                         int size) const {
  std::vector<std::string> result;
  for (std::size_t i = 1; i < exec.size(); ++i) {
    const std::string& word = exec[i];
    std::string argument;
    for (std::size_t at = 0; at < word.size(); ++at) {
      if (word[at] != '%' || at + 1 == word.size()) {
        argument += word[at];
        continue;
      }
      switch (word[++at]) {
        case 'i':
          argument += input;
          break;
        case 'u':
          argument += uri;
          break;
        case 'o':
          argument += output;
          break;
        case 's':
          argument += std::to_string(size);
          break;
        case '%':
          argument += '%';
          break;
        default:
          break;  // an unknown code stands for nothing
      }
    }
    result.push_back(std::move(argument));
  }
  return result;
}

}  // namespace velquarin::platform
