#pragma once

#include <memory>
#include <optional>
#include <string>

#include "images/Image.h"

// The bitmap itself when it fits within the maxima (in pixels); else a new bitmap of the
// largest size with its aspect ratio that fits, in pixels on any screen, each side at least
// one pixel. Null for no bitmap or a maximum below 1.
std::shared_ptr<velquarin::platform::Image> zq_scaleToMaxWidth(
    const std::shared_ptr<velquarin::platform::Image>& bitmap, double maxWidth, double maxHeight);

// Encodes the bitmap as `fileType` (JPEG at quality 0.7) into a new file of the application's
// temporary folder named after `name` with the type's extension, made unique. Returns its
// path, or nullopt (with a warning) when encoding or writing failed.
std::optional<std::string> zq_writeToTemporaryFileWithName(const velquarin::platform::Image& bitmap,
                                                           const std::string& name,
                                                           unsigned long fileType);
