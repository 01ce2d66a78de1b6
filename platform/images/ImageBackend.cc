#include "images/ImageBackend.h"

#include <cstdlib>

#include "runtime/SideLibrary.h"

namespace velquarin::platform {

const ImageBackend* ImageBackend::get() {
  static const SideLibrary library("libvelquarin-images.so", kImageBackendEntry,
                                   "Images are unavailable");
  static const ImageBackend* const backend = library.table<ImageBackend>();
  return backend;
}

const ImageBackend& ImageBackend::loaded() {
  const ImageBackend* backend = get();
  if (!backend) std::abort();  // unreachable: pixels exist only when the backend made them
  return *backend;
}

}  // namespace velquarin::platform
