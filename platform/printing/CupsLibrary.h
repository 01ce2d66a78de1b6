#pragma once

// libcups and the TLS, Kerberos and Avahi libraries it depends on live behind
// libvelquarin-printing.so, beside the platform library, opened the first time a printer is
// listed or a file printed.

#include "printing/CupsPrinting.h"

namespace velquarin::platform {

struct CupsLibrary {
  PrinterList (*printers)(std::chrono::milliseconds timeout);
  PrintJob (*printFile)(const std::string& printer, const std::string& path,
                        const std::string& title, int copies, std::chrono::milliseconds timeout);

  // Opened on the first call; null (logged once) when it cannot be opened.
  static const CupsLibrary* get();
};

// The one function libvelquarin-printing.so exports, by this name, with C linkage.
inline constexpr char kCupsLibraryEntry[] = "velquarin_printing_library";

}  // namespace velquarin::platform
