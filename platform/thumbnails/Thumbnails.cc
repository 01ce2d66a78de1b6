#include "thumbnails/Thumbnails.h"

#include <dlfcn.h>
#include <gio/gio.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <filesystem>
#include <string_view>

#include "gio/GioLibrary.h"
#include "icons/FileIcon.h"
#include "icons/IconImage.h"
#include "icons/IconTheme.h"
#include "images/Canvas.h"
#include "tasks/Task.h"
#include "thumbnails/InstalledThumbnailer.h"
#include "thumbnails/RegularFile.h"
#include "thumbnails/SharedThumbnailCache.h"

namespace velquarin::platform {

namespace {

std::atomic<long long> timeLimitMilliseconds{10000};

constexpr std::size_t kMaxHelperOutput = 64u << 20;
constexpr std::uint64_t kMaxAddressSpace = 2ull << 30;

struct GFree {
  void operator()(gpointer memory) const { g_free(memory); }
};

std::string helperPath() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<const void*>(&helperPath), &info) && info.dli_fname) {
    return (std::filesystem::path(info.dli_fname).parent_path() / "velquarin-thumbnailer").string();
  }
  return {};
}

TaskOptions limitedOptions(std::size_t captureOutput) {
  TaskOptions options;
  options.captureOutput = captureOutput;
  options.timeLimit = thumbnailTimeLimit();
  options.maxCPUSeconds = static_cast<std::uint64_t>(options.timeLimit.count() / 1000 + 1);
#if !defined(__SANITIZE_ADDRESS__)
  // The address sanitizer reserves terabytes of address space up front.
  options.maxAddressSpace = kMaxAddressSpace;
#endif
  options.maxFileSize = kMaxHelperOutput;
  return options;
}

// The file's MIME type from its name and first bytes. PDF and SVG are also known by their
// signature and extension, without a MIME database.
std::string mimeTypeOf(const std::string& path, RegularFile& file) {
  std::uint8_t head[4096];
  const ssize_t got = ::pread(file.fd.get(), head, sizeof head, 0);
  const std::string_view start(reinterpret_cast<const char*>(head), got > 0 ? std::size_t(got) : 0);
  if (start.find("%PDF-") < 1024) return "application/pdf";
  const std::string extension = std::filesystem::path(path).extension().string();
  if (extension == ".svg" || extension == ".svgz") return "image/svg+xml";
  if (!GioLibrary::get()) return std::string();
  const std::unique_ptr<gchar, GFree> type(
      gio().content_type_guess(path.c_str(), head, got > 0 ? static_cast<gsize>(got) : 0, nullptr));
  const std::unique_ptr<gchar, GFree> mime(type ? gio().content_type_get_mime_type(type.get())
                                                : nullptr);
  return mime ? std::string(mime.get()) : std::string();
}

// The picture shrunk, when larger, to fit `pixels` a side, decoded now (on this thread).
std::shared_ptr<Image> fitted(const std::shared_ptr<Image>& image, int pixels) {
  if (!image || image->pixelsWide() < 1 || image->pixelsHigh() < 1) return nullptr;
  const double factor = std::min(
      1.0, std::min(double(pixels) / image->pixelsWide(), double(pixels) / image->pixelsHigh()));
  const int wide = std::max(1, static_cast<int>(std::lround(image->pixelsWide() * factor)));
  const int high = std::max(1, static_cast<int>(std::lround(image->pixelsHigh() * factor)));
  Canvas canvas(Size{double(wide), double(high)}, 1);
  canvas.drawImage(*image, Rect{0, 0, double(wide), double(high)});
  const auto rgba = canvas.image()->rgbaPixels();
  return Image::fromRGBA(wide, high, rgba);
}

std::shared_ptr<Image> renderInHelper(RegularFile& file, int pixels) {
  const std::string helper = helperPath();
  if (helper.empty()) return nullptr;
  auto options = limitedOptions(kMaxHelperOutput);
  options.standardInput = file.fd.get();
  const auto result = runTask(helper, {std::to_string(pixels)}, options);
  if (result.exitStatus != 0 || result.output.size() >= kMaxHelperOutput) return nullptr;
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(result.output.data());
  return fitted(Image::fromData(std::span<const std::uint8_t>(bytes, result.output.size())),
                pixels);
}

class ScratchFolder {
 public:
  ScratchFolder() {
    std::error_code error;
    auto pattern =
        (std::filesystem::temp_directory_path(error) / "velquarin-thumb-XXXXXX").string();
    if (!error && ::mkdtemp(pattern.data())) path_ = pattern;
  }
  ~ScratchFolder() {
    std::error_code error;
    if (!path_.empty()) std::filesystem::remove_all(path_, error);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

std::shared_ptr<Image> renderWithInstalled(const std::string& path, const std::string& mimeType,
                                           int pixels) {
  const auto thumbnailer = InstalledThumbnailer::forMimeType(mimeType);
  if (!thumbnailer) return nullptr;
  ScratchFolder scratch;
  if (scratch.path().empty()) return nullptr;
  const std::string output = scratch.path() + "/thumbnail.png";
  const auto arguments = thumbnailer->arguments(path, thumbnailURIForPath(path), output, pixels);
  const auto result = runTask(thumbnailer->exec.front(), arguments, limitedOptions(0));
  if (result.exitStatus != 0) return nullptr;
  auto made = RegularFile::open(output);
  auto bytes = made ? made->read(kMaxHelperOutput) : std::nullopt;
  return bytes ? fitted(Image::fromData(*bytes), pixels) : nullptr;
}

bool renderedByHelper(const std::string& mimeType) {
  return mimeType == "application/pdf" || mimeType == "image/svg+xml" ||
         mimeType == "image/svg+xml-compressed";
}

}  // namespace

void setThumbnailTimeLimit(std::chrono::milliseconds limit) {
  timeLimitMilliseconds = std::max<long long>(1, limit.count());
}

std::chrono::milliseconds thumbnailTimeLimit() {
  return std::chrono::milliseconds(timeLimitMilliseconds.load());
}

std::shared_ptr<Image> iconForFile(const std::string& path, int pixels) {
  const auto names = iconNamesForFile(path);
  if (names.empty()) return nullptr;
  const auto file = IconTheme::current().lookup(names, pixels, 1);
  return file ? loadIconImage(*file, pixels, 1) : nullptr;
}

std::shared_ptr<Image> thumbnailForFile(const std::string& path, int pixels) {
  auto file = RegularFile::open(path);
  if (!file) return iconForFile(path, pixels);
  // Everything is decoded here, on the background thread, in one pass over its source.
  if (auto cached = fitted(sharedCacheThumbnail(path, file->status.st_mtime, pixels), pixels)) {
    return cached;
  }
  // The descriptor's own path: the file checked above is the file decoded, whatever
  // happens to the name meanwhile.
  const std::string self = "/proc/self/fd/" + std::to_string(file->fd.get());
  if (auto image = fitted(Image::fromFile(self), pixels)) return image;
  const std::string mimeType = mimeTypeOf(path, *file);
  if (renderedByHelper(mimeType)) {
    if (auto image = renderInHelper(*file, pixels)) return image;
  } else if (auto image = renderWithInstalled(path, mimeType, pixels)) {
    return image;
  }
  return iconForFile(path, pixels);
}

}  // namespace velquarin::platform
