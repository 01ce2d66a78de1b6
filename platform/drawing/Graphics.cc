#include "drawing/Graphics.h"

#include <glib.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

#include "drawing/DrawingLibrary.h"
#include "drawing/SVGDocument.h"
#include "drawing/SVGLibrary.h"

namespace velquarin::platform {

namespace {

struct SurfaceDeleter {
  void operator()(cairo_surface_t* surface) const { drawing().cairo_surface_destroy(surface); }
};
struct ContextDeleter {
  void operator()(cairo_t* context) const { drawing().cairo_destroy(context); }
};
struct PatternDeleter {
  void operator()(cairo_pattern_t* pattern) const { drawing().cairo_pattern_destroy(pattern); }
};
struct GObjectDeleter {
  void operator()(void* object) const { drawing().g_object_unref(object); }
};
struct FontDescriptionDeleter {
  void operator()(PangoFontDescription* description) const {
    drawing().pango_font_description_free(description);
  }
};
struct GFreeDeleter {
  void operator()(char* text) const { g_free(text); }
};
using SurfacePtr = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;
using ContextPtr = std::unique_ptr<cairo_t, ContextDeleter>;
using PatternPtr = std::unique_ptr<cairo_pattern_t, PatternDeleter>;
using LayoutPtr = std::unique_ptr<PangoLayout, GObjectDeleter>;
using FontDescriptionPtr = std::unique_ptr<PangoFontDescription, FontDescriptionDeleter>;
using TextPtr = std::unique_ptr<char, GFreeDeleter>;

// Beyond this a surface is refused: nothing the platform draws is larger.
constexpr double kMaxPixelsPerSide = 16384;

double finiteOr(double value, double fallback) {
  return std::isfinite(value) ? value : fallback;
}

int pixelsFor(double points, double scale) {
  const double pixels = std::ceil(finiteOr(points * scale, 1) - 1e-9);
  return static_cast<int>(std::clamp(pixels, 1.0, kMaxPixelsPerSide));
}

double component(double value) {
  return std::clamp(finiteOr(value, 0), 0.0, 1.0);
}

void setColor(cairo_t* context, Color color) {
  drawing().cairo_set_source_rgba(context, component(color.red), component(color.green),
                                  component(color.blue), component(color.alpha));
}

FontDescriptionPtr describe(const Font& font) {
  FontDescriptionPtr description(drawing().pango_font_description_new());
  drawing().pango_font_description_set_family(description.get(), font.family.c_str());
  const double size = std::clamp(finiteOr(font.size, Font::kMenuBarFontSize), 1.0, 1000.0);
  drawing().pango_font_description_set_absolute_size(description.get(), size * PANGO_SCALE);
  const double weight = 400 + std::clamp(finiteOr(font.weight, 0), -1.0, 1.0) * 500;
  drawing().pango_font_description_set_weight(description.get(),
                                              static_cast<PangoWeight>(std::lround(weight)));
  return description;
}

// One line of `text`, with any bytes that are not UTF-8 replaced.
LayoutPtr layoutFor(cairo_t* context, std::string_view text, const Font& font) {
  // One pango context a thread, kept: a fresh one per layout would look every font up again
  // (about a millisecond each time).
  thread_local std::unique_ptr<PangoContext, GObjectDeleter> shared(
      drawing().pango_font_map_create_context(drawing().pango_cairo_font_map_get_default()));
  drawing().pango_cairo_update_context(context, shared.get());
  LayoutPtr layout(drawing().pango_layout_new(shared.get()));
  TextPtr valid(g_utf8_make_valid(text.data(), static_cast<gssize>(text.size())));
  drawing().pango_layout_set_single_paragraph_mode(layout.get(), TRUE);
  drawing().pango_layout_set_text(layout.get(), valid.get(), -1);
  auto description = describe(font);
  drawing().pango_layout_set_font_description(layout.get(), description.get());
  return layout;
}

}  // namespace

Font Font::menuBarFont(double size) {
  Font font;
  font.size = size > 0 ? size : kMenuBarFontSize;
  return font;
}

Size measureText(std::string_view text, const Font& font) {
  if (!DrawingLibrary::get()) return Size{0, 0};
  // Measuring needs a context but no pixels; one per thread, since pango's are not shared.
  thread_local SurfacePtr surface(drawing().cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1));
  thread_local ContextPtr context(drawing().cairo_create(surface.get()));
  auto layout = layoutFor(context.get(), text, font);
  PangoRectangle logical{};
  drawing().pango_layout_get_extents(layout.get(), nullptr, &logical);
  return Size{static_cast<double>(logical.width) / PANGO_SCALE,
              static_cast<double>(logical.height) / PANGO_SCALE};
}

struct Graphics::State {
  SurfacePtr surface;
  ContextPtr context;
};

Graphics::Graphics(Size size, double scale) : state_(std::make_unique<State>()), size_(size) {
  scale_ = std::isfinite(scale) && scale > 0 ? std::min(scale, 16.0) : 1;
  // Without the drawing library nothing is drawn and image() is null.
  if (!DrawingLibrary::get()) return;
  state_->surface.reset(drawing().cairo_image_surface_create(
      CAIRO_FORMAT_ARGB32, pixelsFor(size.width, scale_), pixelsFor(size.height, scale_)));
  state_->context.reset(drawing().cairo_create(state_->surface.get()));
  drawing().cairo_scale(state_->context.get(), scale_, scale_);
}

Graphics::~Graphics() = default;

int Graphics::pixelsWide() const {
  if (!state_->surface) return 0;
  return drawing().cairo_image_surface_get_width(state_->surface.get());
}
int Graphics::pixelsHigh() const {
  if (!state_->surface) return 0;
  return drawing().cairo_image_surface_get_height(state_->surface.get());
}

namespace {
// Cairo's rows run downwards: a rectangle from the lower-left origin, flipped.
struct Box {
  double x, y, width, height;
};
Box flip(Rect rect, double height) {
  return Box{finiteOr(rect.x, 0), finiteOr(height - (rect.y + rect.height), 0),
             std::max(finiteOr(rect.width, 0), 0.0), std::max(finiteOr(rect.height, 0), 0.0)};
}
}  // namespace

void Graphics::fillRect(Rect rect, Color color) {
  cairo_t* context = state_->context.get();
  if (!context) return;
  const Box box = flip(rect, size_.height);
  drawing().cairo_rectangle(context, box.x, box.y, box.width, box.height);
  setColor(context, color);
  drawing().cairo_fill(context);
}

void Graphics::clipToRect(Rect rect) {
  cairo_t* context = state_->context.get();
  if (!context) return;
  const Box box = flip(rect, size_.height);
  drawing().cairo_rectangle(context, box.x, box.y, box.width, box.height);
  drawing().cairo_clip(context);
}

void Graphics::fillLinearGradient(Rect rect, Color start, Color end, double angle) {
  cairo_t* context = state_->context.get();
  if (!context) return;
  const Box box = flip(rect, size_.height);
  const double radians = finiteOr(angle, 0) * std::numbers::pi / 180;
  // Cairo's y runs downwards, so the direction's y is turned over.
  const double dx = std::cos(radians);
  const double dy = -std::sin(radians);
  // Half the gradient's length: the rectangle's corners project onto its ends.
  const double half = (std::abs(box.width * dx) + std::abs(box.height * dy)) / 2;
  const double cx = box.x + box.width / 2;
  const double cy = box.y + box.height / 2;
  PatternPtr pattern(drawing().cairo_pattern_create_linear(cx - dx * half, cy - dy * half,
                                                           cx + dx * half, cy + dy * half));
  drawing().cairo_pattern_add_color_stop_rgba(pattern.get(), 0, component(start.red),
                                              component(start.green), component(start.blue),
                                              component(start.alpha));
  drawing().cairo_pattern_add_color_stop_rgba(pattern.get(), 1, component(end.red),
                                              component(end.green), component(end.blue),
                                              component(end.alpha));
  drawing().cairo_rectangle(context, box.x, box.y, box.width, box.height);
  drawing().cairo_set_source(context, pattern.get());
  drawing().cairo_fill(context);
}

void Graphics::strokePath(std::span<const PathPoint> points, Color color, double width) {
  if (points.size() < 2) return;
  cairo_t* context = state_->context.get();
  if (!context) return;
  drawing().cairo_new_path(context);
  for (const auto& point : points) {
    drawing().cairo_line_to(context, finiteOr(point.x, 0), size_.height - finiteOr(point.y, 0));
  }
  drawing().cairo_set_line_width(context, std::clamp(finiteOr(width, 1), 0.0, 1000.0));
  setColor(context, color);
  drawing().cairo_stroke(context);
}

void Graphics::fillRoundedRect(Rect rect, double radius, Color color) {
  cairo_t* context = state_->context.get();
  if (!context) return;
  const Box box = flip(rect, size_.height);
  const double r = std::clamp(finiteOr(radius, 0), 0.0, std::min(box.width, box.height) / 2);
  drawing().cairo_new_sub_path(context);
  drawing().cairo_arc(context, box.x + box.width - r, box.y + r, r, -M_PI / 2, 0);
  drawing().cairo_arc(context, box.x + box.width - r, box.y + box.height - r, r, 0, M_PI / 2);
  drawing().cairo_arc(context, box.x + r, box.y + box.height - r, r, M_PI / 2, M_PI);
  drawing().cairo_arc(context, box.x + r, box.y + r, r, M_PI, 3 * M_PI / 2);
  drawing().cairo_close_path(context);
  setColor(context, color);
  drawing().cairo_fill(context);
}

void Graphics::fillEllipse(Rect rect, Color color) {
  cairo_t* context = state_->context.get();
  if (!context) return;
  const Box box = flip(rect, size_.height);
  if (box.width <= 0 || box.height <= 0) return;
  drawing().cairo_save(context);
  drawing().cairo_translate(context, box.x + box.width / 2, box.y + box.height / 2);
  drawing().cairo_scale(context, box.width / 2, box.height / 2);
  drawing().cairo_arc(context, 0, 0, 1, 0, 2 * M_PI);
  drawing().cairo_restore(context);
  setColor(context, color);
  drawing().cairo_fill(context);
}

void Graphics::drawText(std::string_view text, const Font& font, Rect rect, Color color,
                        TextAlignment alignment) {
  cairo_t* context = state_->context.get();
  if (!context) return;
  const Box box = flip(rect, size_.height);
  auto layout = layoutFor(context, text, font);
  drawing().pango_layout_set_width(layout.get(),
                                   static_cast<int>(std::min(box.width, 1e5) * PANGO_SCALE));
  drawing().pango_layout_set_ellipsize(layout.get(), PANGO_ELLIPSIZE_END);
  drawing().pango_layout_set_alignment(
      layout.get(), alignment == TextAlignment::Center ? PANGO_ALIGN_CENTER : PANGO_ALIGN_LEFT);
  drawing().cairo_save(context);
  drawing().cairo_rectangle(context, box.x, box.y, box.width, box.height);
  drawing().cairo_clip(context);
  drawing().cairo_move_to(context, box.x, box.y);
  setColor(context, color);
  drawing().pango_cairo_show_layout(context, layout.get());
  drawing().cairo_restore(context);
}

void Graphics::drawImage(const Image& image, Rect rect, const Color* templateColor) {
  if (!state_->context) return;
  const int wide = image.pixelsWide();
  const int high = image.pixelsHigh();
  if (wide < 1 || high < 1 || wide > kMaxPixelsPerSide || high > kMaxPixelsPerSide) return;
  const auto rgba = image.rgbaPixels();
  if (rgba.size() != static_cast<std::size_t>(wide) * high * 4) return;
  SurfacePtr source(drawing().cairo_image_surface_create(CAIRO_FORMAT_ARGB32, wide, high));
  const int stride = drawing().cairo_image_surface_get_stride(source.get());
  unsigned char* data = drawing().cairo_image_surface_get_data(source.get());
  if (!data) return;
  for (int y = 0; y < high; ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(data + static_cast<std::size_t>(y) * stride);
    for (int x = 0; x < wide; ++x) {
      const std::uint8_t* pixel = &rgba[(static_cast<std::size_t>(y) * wide + x) * 4];
      const unsigned alpha = pixel[3];
      auto premultiply = [alpha](unsigned value) { return (value * alpha + 127) / 255; };
      row[x] = (alpha << 24) | (premultiply(pixel[0]) << 16) | (premultiply(pixel[1]) << 8) |
               premultiply(pixel[2]);
    }
  }
  drawing().cairo_surface_mark_dirty(source.get());

  cairo_t* context = state_->context.get();
  if (!context) return;
  const Box box = flip(rect, size_.height);
  if (box.width <= 0 || box.height <= 0) return;
  drawing().cairo_save(context);
  drawing().cairo_translate(context, box.x, box.y);
  drawing().cairo_scale(context, box.width / wide, box.height / high);
  if (templateColor) {
    setColor(context, *templateColor);
    drawing().cairo_mask_surface(context, source.get(), 0, 0);
  } else {
    drawing().cairo_set_source_surface(context, source.get(), 0, 0);
    drawing().cairo_paint(context);
  }
  drawing().cairo_restore(context);
}

void Graphics::drawSVG(const SVGDocument& document, Rect rect) {
  const Box box = flip(rect, size_.height);
  if (box.width <= 0 || box.height <= 0) return;
  const RsvgRectangle viewport{box.x, box.y, box.width, box.height};
  cairo_t* context = state_->context.get();
  if (!context) return;
  drawing().cairo_save(context);
  GError* error = nullptr;
  // A document that fails half-way leaves what it drew; there is nothing better to show.
  // The library is open: only it makes documents.
  SVGLibrary::get()->render_document(document.handle(), context, &viewport, &error);
  g_clear_error(&error);
  drawing().cairo_restore(context);
}

std::shared_ptr<Image> Graphics::image() const {
  cairo_surface_t* surface = state_->surface.get();
  if (!surface) return nullptr;
  drawing().cairo_surface_flush(surface);
  const int wide = pixelsWide();
  const int high = pixelsHigh();
  const int stride = drawing().cairo_image_surface_get_stride(surface);
  const unsigned char* data = drawing().cairo_image_surface_get_data(surface);
  std::vector<std::uint8_t> rgba(static_cast<std::size_t>(wide) * high * 4);
  for (int y = 0; y < high; ++y) {
    const auto* row =
        reinterpret_cast<const std::uint32_t*>(data + static_cast<std::size_t>(y) * stride);
    for (int x = 0; x < wide; ++x) {
      const std::uint32_t pixel = row[x];
      const unsigned alpha = pixel >> 24;
      auto straight = [alpha](unsigned value) {
        return alpha == 0 ? 0u : std::min(255u, (value * 255 + alpha / 2) / alpha);
      };
      std::uint8_t* out = &rgba[(static_cast<std::size_t>(y) * wide + x) * 4];
      out[0] = static_cast<std::uint8_t>(straight((pixel >> 16) & 0xFF));
      out[1] = static_cast<std::uint8_t>(straight((pixel >> 8) & 0xFF));
      out[2] = static_cast<std::uint8_t>(straight(pixel & 0xFF));
      out[3] = static_cast<std::uint8_t>(alpha);
    }
  }
  return Image::fromRGBA(wide, high, rgba, size_);
}

}  // namespace velquarin::platform
