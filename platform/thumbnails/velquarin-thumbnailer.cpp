// Renders the first page of a PDF (poppler), or an SVG document (librsvg), read from standard
// input, into a PNG of at most <pixels> a side on standard output. It runs apart from the mail
// client so that a crash or a hang of the document parsers ends only this process; the parent
// limits its time, CPU and memory. It reads nothing but its standard input (no file names, no
// network: librsvg resolves no external references without a base file) and starts only the
// libraries of these two formats, so it is quick to start for every preview.
//
// Usage: velquarin-thumbnailer <pixels>
#include <cairo.h>
#include <dlfcn.h>
#include <librsvg/rsvg.h>
#include <poppler.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

namespace {

constexpr size_t kMaxInput = 64u << 20;

struct Unref {
  void operator()(gpointer object) const { g_object_unref(object); }
};
struct SurfaceFree {
  void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
struct ContextFree {
  void operator()(cairo_t* context) const { cairo_destroy(context); }
};
using Surface = std::unique_ptr<cairo_surface_t, SurfaceFree>;

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

cairo_status_t writeOut(void*, const unsigned char* bytes, unsigned int size) {
  while (size > 0) {
    const ssize_t put = ::write(STDOUT_FILENO, bytes, size);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return CAIRO_STATUS_WRITE_ERROR;
    bytes += put;
    size -= static_cast<unsigned int>(put);
  }
  return CAIRO_STATUS_SUCCESS;
}

// A transparent surface for a page of width x height fitted into pixels x pixels, with the
// context scaled so the page's units fill it.
Surface fittedSurface(double width, double height, int pixels, double& scale) {
  if (!(width > 0) || !(height > 0) || !std::isfinite(width) || !std::isfinite(height))
    return nullptr;
  scale = std::min(pixels / width, pixels / height);
  const int wide = std::clamp(static_cast<int>(std::lround(width * scale)), 1, pixels);
  const int high = std::clamp(static_cast<int>(std::lround(height * scale)), 1, pixels);
  Surface surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, wide, high));
  if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
  return surface;
}

Surface renderPDF(const std::vector<unsigned char>& data, int pixels) {
  std::unique_ptr<GBytes, decltype(&g_bytes_unref)> bytes(g_bytes_new(data.data(), data.size()),
                                                          &g_bytes_unref);
  std::unique_ptr<PopplerDocument, Unref> document(
      poppler_document_new_from_bytes(bytes.get(), nullptr, nullptr));
  if (!document || poppler_document_get_n_pages(document.get()) < 1) return nullptr;
  std::unique_ptr<PopplerPage, Unref> page(poppler_document_get_page(document.get(), 0));
  if (!page) return nullptr;
  double width = 0, height = 0, scale = 1;
  poppler_page_get_size(page.get(), &width, &height);
  Surface surface = fittedSurface(width, height, pixels, scale);
  if (!surface) return nullptr;
  std::unique_ptr<cairo_t, ContextFree> context(cairo_create(surface.get()));
  // Pages are paper: white under the drawing.
  cairo_set_source_rgb(context.get(), 1, 1, 1);
  cairo_paint(context.get());
  cairo_scale(context.get(), scale, scale);
  poppler_page_render(page.get(), context.get());
  return surface;
}

// librsvg is opened only for SVG documents: it brings dozens of libraries that a PDF preview
// would otherwise wait for at every start.
struct Rsvg {
  decltype(&rsvg_handle_new_from_data) newFromData = nullptr;
  decltype(&rsvg_handle_get_intrinsic_size_in_pixels) intrinsicSize = nullptr;
  decltype(&rsvg_handle_render_document) renderDocument = nullptr;
  bool load() {
    void* library = ::dlopen("librsvg-2.so.2", RTLD_NOW | RTLD_LOCAL);
    if (!library) return false;
    newFromData =
        reinterpret_cast<decltype(newFromData)>(::dlsym(library, "rsvg_handle_new_from_data"));
    intrinsicSize = reinterpret_cast<decltype(intrinsicSize)>(
        ::dlsym(library, "rsvg_handle_get_intrinsic_size_in_pixels"));
    renderDocument =
        reinterpret_cast<decltype(renderDocument)>(::dlsym(library, "rsvg_handle_render_document"));
    return newFromData && intrinsicSize && renderDocument;
  }
};

Surface renderSVG(const std::vector<unsigned char>& data, int pixels) {
  Rsvg rsvg;
  if (!rsvg.load()) return nullptr;
  std::unique_ptr<RsvgHandle, Unref> handle(rsvg.newFromData(data.data(), data.size(), nullptr));
  if (!handle) return nullptr;
  double width = 0, height = 0, scale = 1;
  if (!rsvg.intrinsicSize(handle.get(), &width, &height)) {
    width = height = pixels;  // no size of its own: a square
  }
  Surface surface = fittedSurface(width, height, pixels, scale);
  if (!surface) return nullptr;
  std::unique_ptr<cairo_t, ContextFree> context(cairo_create(surface.get()));
  const RsvgRectangle viewport{0, 0, width * scale, height * scale};
  if (!rsvg.renderDocument(handle.get(), context.get(), &viewport, nullptr)) return nullptr;
  return surface;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  const long pixels = std::strtol(argv[1], nullptr, 10);
  if (pixels < 1 || pixels > 4096) return 2;
  std::vector<unsigned char> input;
  if (!readAll(input) || input.empty()) return 1;
  // A PDF's header may follow some leading bytes, within the first kilobyte.
  const std::string_view head(reinterpret_cast<const char*>(input.data()),
                              std::min<size_t>(input.size(), 1024));
  const bool pdf = head.find("%PDF-") != std::string_view::npos;
  Surface surface =
      pdf ? renderPDF(input, static_cast<int>(pixels)) : renderSVG(input, static_cast<int>(pixels));
  if (!surface) return 1;
  cairo_surface_flush(surface.get());
  return cairo_surface_write_to_png_stream(surface.get(), writeOut, nullptr) == CAIRO_STATUS_SUCCESS
             ? 0
             : 1;
}
