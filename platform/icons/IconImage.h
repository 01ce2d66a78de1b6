#pragma once

#include <memory>
#include <string>

#include "images/Image.h"
#include "images/ImageTypes.h"

namespace velquarin::platform {

// The picture in an icon file, ready to be fitted into a square of `side` points at `scale`
// pixels a point: a bitmap (PNG and the other formats platform/images reads, within its
// pixel budget) as it is; an SVG document (by its .svg or .svgz extension) rendered as
// vectors at the size it will be drawn, its aspect ratio kept. Only regular files up to
// 16 MiB are read, so a FIFO or a device named as an icon cannot hang the caller. Null when
// the file cannot be read or decoded. Safe on any thread.
std::shared_ptr<Image> loadIconImage(const std::string& path, double side, double scale);

}  // namespace velquarin::platform
