#pragma once

// cairo and pango (with harfbuzz, fontconfig, freetype, pixman and Xlib below them) are
// opened the first time something is drawn or text is measured: they live behind
// libvelquarin-drawing.so, beside the platform library, which hands back this table of the
// functions Graphics uses.

#include <cairo.h>
#include <pango/pangocairo.h>

namespace velquarin::platform {

struct DrawingLibrary {
  decltype(&::cairo_arc) cairo_arc;
  decltype(&::cairo_clip) cairo_clip;
  decltype(&::cairo_close_path) cairo_close_path;
  decltype(&::cairo_create) cairo_create;
  decltype(&::cairo_destroy) cairo_destroy;
  decltype(&::cairo_fill) cairo_fill;
  decltype(&::cairo_image_surface_create) cairo_image_surface_create;
  decltype(&::cairo_image_surface_get_data) cairo_image_surface_get_data;
  decltype(&::cairo_image_surface_get_height) cairo_image_surface_get_height;
  decltype(&::cairo_image_surface_get_stride) cairo_image_surface_get_stride;
  decltype(&::cairo_image_surface_get_width) cairo_image_surface_get_width;
  decltype(&::cairo_line_to) cairo_line_to;
  decltype(&::cairo_mask_surface) cairo_mask_surface;
  decltype(&::cairo_move_to) cairo_move_to;
  decltype(&::cairo_new_path) cairo_new_path;
  decltype(&::cairo_new_sub_path) cairo_new_sub_path;
  decltype(&::cairo_paint) cairo_paint;
  decltype(&::cairo_pattern_add_color_stop_rgba) cairo_pattern_add_color_stop_rgba;
  decltype(&::cairo_pattern_create_linear) cairo_pattern_create_linear;
  decltype(&::cairo_pattern_destroy) cairo_pattern_destroy;
  decltype(&::cairo_rectangle) cairo_rectangle;
  decltype(&::cairo_restore) cairo_restore;
  decltype(&::cairo_save) cairo_save;
  decltype(&::cairo_scale) cairo_scale;
  decltype(&::cairo_set_line_width) cairo_set_line_width;
  decltype(&::cairo_set_source) cairo_set_source;
  decltype(&::cairo_set_source_rgba) cairo_set_source_rgba;
  decltype(&::cairo_set_source_surface) cairo_set_source_surface;
  decltype(&::cairo_stroke) cairo_stroke;
  decltype(&::cairo_surface_destroy) cairo_surface_destroy;
  decltype(&::cairo_surface_flush) cairo_surface_flush;
  decltype(&::cairo_surface_mark_dirty) cairo_surface_mark_dirty;
  decltype(&::cairo_translate) cairo_translate;
  decltype(&::pango_cairo_font_map_get_default) pango_cairo_font_map_get_default;
  decltype(&::pango_cairo_show_layout) pango_cairo_show_layout;
  decltype(&::pango_cairo_update_context) pango_cairo_update_context;
  decltype(&::pango_font_description_free) pango_font_description_free;
  decltype(&::pango_font_description_new) pango_font_description_new;
  decltype(&::pango_font_description_set_absolute_size) pango_font_description_set_absolute_size;
  decltype(&::pango_font_description_set_family) pango_font_description_set_family;
  decltype(&::pango_font_description_set_weight) pango_font_description_set_weight;
  decltype(&::pango_font_map_create_context) pango_font_map_create_context;
  decltype(&::pango_layout_get_extents) pango_layout_get_extents;
  decltype(&::pango_layout_new) pango_layout_new;
  decltype(&::pango_layout_set_alignment) pango_layout_set_alignment;
  decltype(&::pango_layout_set_ellipsize) pango_layout_set_ellipsize;
  decltype(&::pango_layout_set_font_description) pango_layout_set_font_description;
  decltype(&::pango_layout_set_single_paragraph_mode) pango_layout_set_single_paragraph_mode;
  decltype(&::pango_layout_set_text) pango_layout_set_text;
  decltype(&::pango_layout_set_width) pango_layout_set_width;
  decltype(&::g_object_unref) g_object_unref;  // pango's objects

  // Opened on the first call; null (logged once) when it cannot be opened.
  static const DrawingLibrary* get();
};

// The table, once get() has returned it: every cairo and pango object was made through it.
const DrawingLibrary& drawing();

// The one function libvelquarin-drawing.so exports, by this name, with C linkage.
inline constexpr char kDrawingLibraryEntry[] = "velquarin_drawing_library";

}  // namespace velquarin::platform
