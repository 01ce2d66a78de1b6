#include "drawing/SVGLibrary.h"

#include "runtime/SideLibrary.h"

namespace velquarin::platform {

const SVGLibrary* SVGLibrary::get() {
  static const SVGLibrary* const table = [] {
    static const SideLibrary library("libvelquarin-svg.so", kSVGLibraryEntry,
                                     "SVG documents are unavailable");
    auto entry = reinterpret_cast<SVGLibraryEntry>(library.entry());
    return entry ? entry() : nullptr;
  }();
  return table;
}

}  // namespace velquarin::platform
