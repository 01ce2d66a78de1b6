#include "xml/XMLLibrary.h"

#include <cstdlib>

#include "runtime/SideLibrary.h"

namespace velquarin::platform {

const XMLLibrary* XMLLibrary::get() {
  static const SideLibrary library("libvelquarin-xml.so", kXMLLibraryEntry, "XML is unavailable");
  static const XMLLibrary* const table = library.table<XMLLibrary>();
  return table;
}

const XMLLibrary& xml() {
  const XMLLibrary* table = XMLLibrary::get();
  if (!table) std::abort();  // unreachable: callers check get() before making libxml2 objects
  return *table;
}

}  // namespace velquarin::platform
