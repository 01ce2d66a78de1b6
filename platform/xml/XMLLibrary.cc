#include "xml/XMLLibrary.h"

#include "runtime/SideLibrary.h"

namespace velquarin::platform {

const XMLLibrary* XMLLibrary::get() {
  static const SideLibrary library("libvelquarin-xml.so", kXMLLibraryEntry, "XML is unavailable");
  static const XMLLibrary* const table = library.table<XMLLibrary>();
  return table;
}

const XMLLibrary& xml() {
  // Unreachable without a table: callers check get() before making libxml2 objects.
  return openedTable(XMLLibrary::get());
}

}  // namespace velquarin::platform
