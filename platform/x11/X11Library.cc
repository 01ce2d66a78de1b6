#include "x11/X11Library.h"

#include "runtime/SideLibrary.h"

namespace velquarin::platform {

const X11Library* X11Library::get() {
  static const SideLibrary library("libvelquarin-x11.so", kX11LibraryEntry,
                                   "The X display is unavailable");
  static const X11Library* const table = library.table<X11Library>();
  return table;
}

const X11Library& x11() {
  // Unreachable without a table: callers check get() before connecting or compiling.
  return openedTable(X11Library::get());
}

}  // namespace velquarin::platform
