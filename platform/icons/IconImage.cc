#include "icons/IconImage.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <optional>
#include <vector>

#include "drawing/Graphics.h"
#include "drawing/SVGDocument.h"
#include "files/FileDescriptor.h"

namespace velquarin::platform {
namespace {

constexpr off_t kMaxIconFileBytes = 16 << 20;

bool endsWith(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() &&
         text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::optional<std::vector<std::uint8_t>> readRegularFile(const std::string& path) {
  // Non-blocking open: opening a FIFO for reading would otherwise wait for a writer.
  FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
  struct stat status {};
  if (!fd || ::fstat(fd.get(), &status) != 0 || !S_ISREG(status.st_mode) ||
      status.st_size > kMaxIconFileBytes) {
    return std::nullopt;
  }
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(status.st_size));
  std::size_t filled = 0;
  while (filled < bytes.size()) {
    const ssize_t got = ::read(fd.get(), bytes.data() + filled, bytes.size() - filled);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    filled += static_cast<std::size_t>(got);
  }
  bytes.resize(filled);
  return bytes;
}

std::shared_ptr<Image> renderSVG(const std::vector<std::uint8_t>& bytes, double side,
                                 double scale) {
  auto document = SVGDocument::fromData(bytes);
  if (!document) return nullptr;
  const Size own = document->size();
  // The size it takes in the square (wider than high: full width; else full height).
  const double aspect = own.width / own.height;
  const Size drawn = aspect > 1 ? Size{side, side / aspect} : Size{side * aspect, side};
  // Whole pixels, the drawing in their lower-left corner: a fractional edge falls at the top
  // or right, where fitting into the square puts the free space too.
  auto whole = [scale](double points) { return std::ceil(points * scale - 1e-9) / scale; };
  Graphics graphics(Size{whole(drawn.width), whole(drawn.height)}, scale);
  graphics.drawSVG(*document, Rect{0, 0, drawn.width, drawn.height});
  return graphics.image();
}

}  // namespace

std::shared_ptr<Image> loadIconImage(const std::string& path, double side, double scale) {
  const auto bytes = readRegularFile(path);
  if (!bytes || bytes->empty()) return nullptr;
  if (endsWith(path, ".svg") || endsWith(path, ".svgz")) return renderSVG(*bytes, side, scale);
  return Image::fromData(*bytes);
}

}  // namespace velquarin::platform
