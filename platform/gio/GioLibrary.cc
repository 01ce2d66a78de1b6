#include "gio/GioLibrary.h"

#include "runtime/SideLibrary.h"

namespace velquarin::platform {

const GioLibrary* GioLibrary::get() {
  static const SideLibrary library("libvelquarin-gio.so", kGioLibraryEntry, "GIO is unavailable");
  static const GioLibrary* const table = library.table<GioLibrary>();
  return table;
}

const GioLibrary& gio() {
  // Unreachable without a table: each service checks get() before its first GIO call.
  return openedTable(GioLibrary::get());
}

}  // namespace velquarin::platform
