#include "drawing/DrawingLibrary.h"

#include "runtime/SideLibrary.h"

namespace velquarin::platform {

const DrawingLibrary* DrawingLibrary::get() {
  static const SideLibrary library("libvelquarin-drawing.so", kDrawingLibraryEntry,
                                   "Drawing is unavailable");
  static const DrawingLibrary* const table = library.table<DrawingLibrary>();
  return table;
}

const DrawingLibrary& drawing() {
  // Unreachable without a table: callers check get() before making cairo objects.
  return openedTable(DrawingLibrary::get());
}

}  // namespace velquarin::platform
