#include "glib/GLibLibrary.h"

#include "runtime/SideLibrary.h"

namespace velquarin::platform {

const GLibLibrary* GLibLibrary::get() {
  static const SideLibrary library(kGLibLibraryFile, kGLibLibraryEntry, "GLib is unavailable");
  static const GLibLibrary* const table = library.table<GLibLibrary>();
  return table;
}

bool GLibLibrary::installed() {
  return SideLibrary::present(kGLibLibraryFile);
}

}  // namespace velquarin::platform
