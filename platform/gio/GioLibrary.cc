#include "gio/GioLibrary.h"

#include <cstdlib>

#include "runtime/SideLibrary.h"

namespace velquarin::platform {

const GioLibrary* GioLibrary::get() {
  static const SideLibrary library("libvelquarin-gio.so", kGioLibraryEntry, "GIO is unavailable");
  static const GioLibrary* const table = library.table<GioLibrary>();
  return table;
}

const GioLibrary& gio() {
  const GioLibrary* table = GioLibrary::get();
  if (!table) std::abort();  // unreachable: each service checks get() before its first GIO call
  return *table;
}

}  // namespace velquarin::platform
