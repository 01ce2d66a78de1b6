// Renders the first page of a PDF, or an SVG document, read from standard input, into a PNG
// of at most <pixels> a side on standard output. It runs apart from the mail client so that a
// crash or a hang of the document parsers ends only this process; the parent limits its time,
// CPU and memory. Only the PDF and SVG loaders of libvips are allowed to run.
//
// Usage: velquarin-thumbnailer <pixels>
#include <unistd.h>
#include <vips/vips.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

namespace {

constexpr size_t kMaxInput = 64u << 20;

bool readAll(std::vector<unsigned char>& data) {
  unsigned char buffer[65536];
  for (;;) {
    const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (got == 0) return true;
    if (got < 0 && errno == EINTR) continue;
    if (got < 0 || data.size() + static_cast<size_t>(got) > kMaxInput) return false;
    data.insert(data.end(), buffer, buffer + got);
  }
}

bool writeAll(const void* bytes, size_t size) {
  const auto* at = static_cast<const unsigned char*>(bytes);
  while (size > 0) {
    const ssize_t put = ::write(STDOUT_FILENO, at, size);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    at += put;
    size -= static_cast<size_t>(put);
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  const long pixels = std::strtol(argv[1], nullptr, 10);
  if (pixels < 1 || pixels > 4096) return 2;
  if (VIPS_INIT(argv[0])) return 1;
  vips_cache_set_max(0);
  vips_operation_block_set("VipsForeignLoad", TRUE);
  vips_operation_block_set("VipsForeignLoadPdfBuffer", FALSE);
  vips_operation_block_set("VipsForeignLoadSvgBuffer", FALSE);

  std::vector<unsigned char> input;
  if (!readAll(input) || input.empty()) return 1;
  VipsImage* image = nullptr;
  if (vips_thumbnail_buffer(input.data(), input.size(), &image, static_cast<int>(pixels), "height",
                            static_cast<int>(pixels), nullptr)) {
    return 1;
  }
  void* png = nullptr;
  size_t size = 0;
  const int failed = vips_pngsave_buffer(image, &png, &size, nullptr);
  g_object_unref(image);
  if (failed) return 1;
  const bool written = writeAll(png, size);
  g_free(png);
  return written ? 0 : 1;
}
