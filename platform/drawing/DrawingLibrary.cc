#include "drawing/DrawingLibrary.h"

#include <cstdlib>

#include "runtime/SideLibrary.h"

namespace velquarin::platform {

const DrawingLibrary* DrawingLibrary::get() {
  static const SideLibrary library("libvelquarin-drawing.so", kDrawingLibraryEntry,
                                   "Drawing is unavailable");
  static const DrawingLibrary* const table = library.table<DrawingLibrary>();
  return table;
}

const DrawingLibrary& drawing() {
  const DrawingLibrary* table = DrawingLibrary::get();
  if (!table) std::abort();  // unreachable: callers check get() before making cairo objects
  return *table;
}

}  // namespace velquarin::platform
