#include "printing/CupsPrinting.h"

#include "printing/CupsLibrary.h"
#include "runtime/SideLibrary.h"

namespace velquarin::platform {

namespace {

constexpr char kUnavailable[] = "the printing library could not be loaded";

}  // namespace

const CupsLibrary* CupsLibrary::get() {
  static const SideLibrary library("libvelquarin-printing.so", kCupsLibraryEntry,
                                   "Printing is unavailable");
  static const CupsLibrary* const table = library.table<CupsLibrary>();
  return table;
}

PrinterList cupsPrinters(std::chrono::milliseconds timeout) {
  if (const CupsLibrary* library = CupsLibrary::get()) return library->printers(timeout);
  PrinterList list;
  list.error = kUnavailable;
  return list;
}

PrintJob cupsPrintFile(const std::string& printer, const std::string& path,
                       const std::string& title, int copies, std::chrono::milliseconds timeout) {
  if (const CupsLibrary* library = CupsLibrary::get()) {
    return library->printFile(printer, path, title, copies, timeout);
  }
  return PrintJob{0, printer, path, title, copies, kUnavailable};
}

}  // namespace velquarin::platform
