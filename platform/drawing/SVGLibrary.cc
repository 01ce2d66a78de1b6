#include "drawing/SVGLibrary.h"

#include "runtime/SideLibrary.h"

namespace velquarin::platform {

const SVGLibrary* SVGLibrary::get() {
  static const SideLibrary library("libvelquarin-svg.so", kSVGLibraryEntry,
                                   "SVG documents are unavailable");
  static const SVGLibrary* const table = library.table<SVGLibrary>();
  return table;
}

}  // namespace velquarin::platform
