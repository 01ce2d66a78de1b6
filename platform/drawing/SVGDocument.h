#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "images/ImageTypes.h"

using RsvgHandle = struct _RsvgHandle;

namespace velquarin::platform {

// An SVG document parsed by librsvg, to be drawn with Graphics::drawSVG at any size. It
// reaches no other file and no network: it is parsed from bytes without a base location.
class SVGDocument {
 public:
  // Null when the bytes are not an SVG document librsvg accepts.
  static std::shared_ptr<SVGDocument> fromData(std::span<const std::uint8_t> data);
  ~SVGDocument();
  SVGDocument(const SVGDocument&) = delete;
  SVGDocument& operator=(const SVGDocument&) = delete;

  // Its own size in points (CSS pixels): width and height, else the view box; 1 x 1 when
  // it states neither.
  Size size() const { return size_; }
  RsvgHandle* handle() const { return handle_; }

 private:
  SVGDocument(RsvgHandle* handle, Size size) : handle_(handle), size_(size) {}
  RsvgHandle* handle_;
  Size size_;
};

}  // namespace velquarin::platform
