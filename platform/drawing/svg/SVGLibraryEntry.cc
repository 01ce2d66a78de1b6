// libvelquarin-svg.so: the only part of the package linked to librsvg.

#include "drawing/SVGLibrary.h"

using velquarin::platform::SVGLibrary;

extern "C" __attribute__((visibility("default"))) const SVGLibrary* velquarin_svg_library() {
  static const SVGLibrary table{
      .new_from_data = &rsvg_handle_new_from_data,
      .get_intrinsic_size_in_pixels = &rsvg_handle_get_intrinsic_size_in_pixels,
      .get_intrinsic_dimensions = &rsvg_handle_get_intrinsic_dimensions,
      .render_document = &rsvg_handle_render_document,
      .object_unref = &g_object_unref,
  };
  return &table;
}
