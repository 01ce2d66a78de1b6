#include "http/CurlLibrary.h"

#include <cstdlib>

#include "runtime/SideLibrary.h"

namespace velquarin::platform::http {

const CurlLibrary* CurlLibrary::get() {
  static const SideLibrary library("libvelquarin-curl.so", kCurlLibraryEntry,
                                   "HTTP is unavailable");
  static const CurlLibrary* const table = library.table<CurlLibrary>();
  return table;
}

const CurlLibrary& curl() {
  const CurlLibrary* table = CurlLibrary::get();
  if (!table) std::abort();  // unreachable: callers check get() before making curl objects
  return *table;
}

}  // namespace velquarin::platform::http
