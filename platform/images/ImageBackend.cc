#include "images/ImageBackend.h"

#include "runtime/SideLibrary.h"

namespace velquarin::platform {

const ImageBackend* ImageBackend::get() {
  static const SideLibrary library("libvelquarin-images.so", kImageBackendEntry,
                                   "Images are unavailable");
  static const ImageBackend* const backend = library.table<ImageBackend>();
  return backend;
}

const ImageBackend& ImageBackend::loaded() {
  // Unreachable without a table: pixels exist only when the backend made them.
  return openedTable(get());
}

}  // namespace velquarin::platform
