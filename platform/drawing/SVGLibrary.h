#pragma once

// librsvg (and the Rust runtime and gdk-pixbuf it brings) is opened the first time an SVG
// document is parsed: it lives behind libvelquarin-svg.so, beside the platform library,
// which hands back this table of librsvg's functions.

#include <librsvg/rsvg.h>

namespace velquarin::platform {

struct SVGLibrary {
  decltype(&::rsvg_handle_new_from_data) new_from_data;
  decltype(&::rsvg_handle_get_intrinsic_size_in_pixels) get_intrinsic_size_in_pixels;
  decltype(&::rsvg_handle_get_intrinsic_dimensions) get_intrinsic_dimensions;
  decltype(&::rsvg_handle_render_document) render_document;
  decltype(&::g_object_unref) object_unref;  // the handle's

  // Opened on the first call; null (logged once) when it cannot be opened.
  static const SVGLibrary* get();
};

// The one function libvelquarin-svg.so exports, by this name, with C linkage.
inline constexpr char kSVGLibraryEntry[] = "velquarin_svg_library";

}  // namespace velquarin::platform
