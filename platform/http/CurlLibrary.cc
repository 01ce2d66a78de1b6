#include "http/CurlLibrary.h"

#include "runtime/SideLibrary.h"

namespace velquarin::platform::http {

const CurlLibrary* CurlLibrary::get() {
  static const SideLibrary library("libvelquarin-curl.so", kCurlLibraryEntry,
                                   "HTTP is unavailable");
  static const CurlLibrary* const table = library.table<CurlLibrary>();
  return table;
}

const CurlLibrary& curl() {
  // Unreachable without a table: callers check get() before making curl objects.
  return openedTable(CurlLibrary::get());
}

}  // namespace velquarin::platform::http
