#pragma once

#include <memory>
#include <string>

#include "images/Image.h"

namespace velquarin::platform {

// The file URI thumbnail caches key entries by ("file:///a%20b.pdf"); empty for a path
// that is not absolute.
std::string thumbnailURIForPath(const std::string& path);

// The freedesktop shared cache's entry for the file: the smallest of normal (128), large
// (256), x-large (512) and xx-large (1024) that covers `pixels`, valid only when its
// Thumb::URI and Thumb::MTime name this file as it is now. Null when there is none.
std::shared_ptr<Image> sharedCacheThumbnail(const std::string& path, long long modified,
                                            int pixels);

}  // namespace velquarin::platform
