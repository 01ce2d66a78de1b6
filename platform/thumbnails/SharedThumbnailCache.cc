#include "thumbnails/SharedThumbnailCache.h"

#include <glib.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "thumbnails/PNGText.h"
#include "thumbnails/RegularFile.h"

namespace velquarin::platform {

namespace {

struct GFree {
  void operator()(gpointer memory) const { g_free(memory); }
};

constexpr std::size_t kMaxCacheFile = 32u << 20;

std::filesystem::path cacheRoot() {
  const char* cache = std::getenv("XDG_CACHE_HOME");
  if (cache && *cache == '/') return std::filesystem::path(cache) / "thumbnails";
  const char* home = std::getenv("HOME");
  return std::filesystem::path(home ? home : "/") / ".cache" / "thumbnails";
}

}  // namespace

std::string thumbnailURIForPath(const std::string& path) {
  if (path.empty() || path.front() != '/') return {};
  std::unique_ptr<gchar, GFree> uri(g_filename_to_uri(path.c_str(), nullptr, nullptr));
  return uri ? std::string(uri.get()) : std::string();
}

std::shared_ptr<Image> sharedCacheThumbnail(const std::string& path, long long modified,
                                            int pixels) {
  const std::string uri = thumbnailURIForPath(path);
  if (uri.empty()) return nullptr;
  const std::unique_ptr<gchar, GFree> digest(
      g_compute_checksum_for_string(G_CHECKSUM_MD5, uri.c_str(), -1));
  const std::string name = std::string(digest.get()) + ".png";
  static constexpr std::array<std::pair<const char*, int>, 4> kFolders{
      {{"normal", 128}, {"large", 256}, {"x-large", 512}, {"xx-large", 1024}}};
  for (const auto& [folder, side] : kFolders) {
    if (side < pixels) continue;
    auto file = RegularFile::open((cacheRoot() / folder / name).string());
    auto bytes = file ? file->read(kMaxCacheFile) : std::nullopt;
    if (!bytes) continue;
    const auto text = pngTextChunks(*bytes);
    const auto uriTag = text.find("Thumb::URI");
    const auto timeTag = text.find("Thumb::MTime");
    if (uriTag == text.end() || uriTag->second != uri || timeTag == text.end() ||
        timeTag->second != std::to_string(modified)) {
      continue;
    }
    if (auto image = Image::fromData(*bytes)) return image;
  }
  return nullptr;
}

}  // namespace velquarin::platform
