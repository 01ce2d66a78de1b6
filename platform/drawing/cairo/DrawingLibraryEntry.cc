// libvelquarin-drawing.so: the only part of the package linked to cairo and pango.

#include "drawing/DrawingLibrary.h"

using velquarin::platform::DrawingLibrary;

extern "C" __attribute__((visibility("default"))) const DrawingLibrary*
velquarin_drawing_library() {
  static const DrawingLibrary table{
      .cairo_arc = &cairo_arc,
      .cairo_clip = &cairo_clip,
      .cairo_close_path = &cairo_close_path,
      .cairo_create = &cairo_create,
      .cairo_destroy = &cairo_destroy,
      .cairo_fill = &cairo_fill,
      .cairo_image_surface_create = &cairo_image_surface_create,
      .cairo_image_surface_get_data = &cairo_image_surface_get_data,
      .cairo_image_surface_get_height = &cairo_image_surface_get_height,
      .cairo_image_surface_get_stride = &cairo_image_surface_get_stride,
      .cairo_image_surface_get_width = &cairo_image_surface_get_width,
      .cairo_line_to = &cairo_line_to,
      .cairo_mask_surface = &cairo_mask_surface,
      .cairo_move_to = &cairo_move_to,
      .cairo_new_path = &cairo_new_path,
      .cairo_new_sub_path = &cairo_new_sub_path,
      .cairo_paint = &cairo_paint,
      .cairo_pattern_add_color_stop_rgba = &cairo_pattern_add_color_stop_rgba,
      .cairo_pattern_create_linear = &cairo_pattern_create_linear,
      .cairo_pattern_destroy = &cairo_pattern_destroy,
      .cairo_rectangle = &cairo_rectangle,
      .cairo_restore = &cairo_restore,
      .cairo_save = &cairo_save,
      .cairo_scale = &cairo_scale,
      .cairo_set_line_width = &cairo_set_line_width,
      .cairo_set_source = &cairo_set_source,
      .cairo_set_source_rgba = &cairo_set_source_rgba,
      .cairo_set_source_surface = &cairo_set_source_surface,
      .cairo_stroke = &cairo_stroke,
      .cairo_surface_destroy = &cairo_surface_destroy,
      .cairo_surface_flush = &cairo_surface_flush,
      .cairo_surface_mark_dirty = &cairo_surface_mark_dirty,
      .cairo_translate = &cairo_translate,
      .pango_cairo_font_map_get_default = &pango_cairo_font_map_get_default,
      .pango_cairo_show_layout = &pango_cairo_show_layout,
      .pango_cairo_update_context = &pango_cairo_update_context,
      .pango_font_description_free = &pango_font_description_free,
      .pango_font_description_new = &pango_font_description_new,
      .pango_font_description_set_absolute_size = &pango_font_description_set_absolute_size,
      .pango_font_description_set_family = &pango_font_description_set_family,
      .pango_font_description_set_weight = &pango_font_description_set_weight,
      .pango_font_map_create_context = &pango_font_map_create_context,
      .pango_layout_get_extents = &pango_layout_get_extents,
      .pango_layout_new = &pango_layout_new,
      .pango_layout_set_alignment = &pango_layout_set_alignment,
      .pango_layout_set_ellipsize = &pango_layout_set_ellipsize,
      .pango_layout_set_font_description = &pango_layout_set_font_description,
      .pango_layout_set_single_paragraph_mode = &pango_layout_set_single_paragraph_mode,
      .pango_layout_set_text = &pango_layout_set_text,
      .pango_layout_set_width = &pango_layout_set_width,
      .g_object_unref = &g_object_unref,
  };
  return &table;
}
