#include "drawing/SVGDocument.h"

#include <cmath>

#include "drawing/SVGLibrary.h"

namespace velquarin::platform {

namespace {

bool positive(double value) {
  return std::isfinite(value) && value > 0;
}

Size intrinsicSize(const SVGLibrary& rsvg, RsvgHandle* handle) {
  double width = 0;
  double height = 0;
  if (rsvg.get_intrinsic_size_in_pixels(handle, &width, &height) && positive(width) &&
      positive(height)) {
    return Size{width, height};
  }
  gboolean hasViewBox = FALSE;
  RsvgRectangle viewBox{};
  rsvg.get_intrinsic_dimensions(handle, nullptr, nullptr, nullptr, nullptr, &hasViewBox, &viewBox);
  if (hasViewBox && positive(viewBox.width) && positive(viewBox.height)) {
    return Size{viewBox.width, viewBox.height};
  }
  return Size{1, 1};
}

}  // namespace

std::shared_ptr<SVGDocument> SVGDocument::fromData(std::span<const std::uint8_t> data) {
  if (data.empty()) return nullptr;
  const SVGLibrary* rsvg = SVGLibrary::get();
  if (!rsvg) return nullptr;
  GError* error = nullptr;
  RsvgHandle* handle = rsvg->new_from_data(data.data(), data.size(), &error);
  if (!handle) {
    g_clear_error(&error);
    return nullptr;
  }
  return std::shared_ptr<SVGDocument>(new SVGDocument(handle, intrinsicSize(*rsvg, handle)));
}

SVGDocument::~SVGDocument() {
  SVGLibrary::get()->object_unref(handle_);  // the handle came from it
}

}  // namespace velquarin::platform
