#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "images/Image.h"

namespace velquarin::platform {

// The picture the desktop shows for a file, at most `pixels` a side, the first of:
//  1. for anything but a regular file (a folder, a FIFO, a device: never opened), its icon;
//  2. the freedesktop shared thumbnail cache under $XDG_CACHE_HOME, read only, when an entry
//     of the file's URI and modification time covers the size;
//  3. the picture formats platform/images reads, decoded here;
//  4. the first page of a PDF or an SVG document, rendered by velquarin-thumbnailer beside
//     this library, a separate process that reads the file from its standard input;
//  5. a thumbnailer installed for the file's MIME type (a .thumbnailer entry);
//  6. the file's icon in the current icon theme.
// Programs run with the time limit below, a CPU limit and a memory limit, and are killed
// past them. Null when not even an icon is found. Blocks: call it on a background thread.
std::shared_ptr<Image> thumbnailForFile(const std::string& path, int pixels);

// The icon of the file in the current theme, fitted into `pixels` a side; null without one.
std::shared_ptr<Image> iconForFile(const std::string& path, int pixels);

// How long a thumbnail program may run (default 10 s); any thread.
void setThumbnailTimeLimit(std::chrono::milliseconds limit);
std::chrono::milliseconds thumbnailTimeLimit();

}  // namespace velquarin::platform
