#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace velquarin::platform {

// Printing through the CUPS server libcups names (CUPS_SERVER, then client.conf, then the
// local scheduler). Every call blocks for at most about its time-out: call them on a
// background thread.

struct PrinterList {
  std::vector<std::string> printers;
  std::optional<std::string> defaultPrinter;
  std::string error;  // CUPS's reason when the server could not be asked
};

struct PrintJob {
  int id = 0;  // 0 when it was not accepted
  std::string printer;
  std::string path;
  std::string title;
  int copies = 1;
  std::string error;
};

PrinterList cupsPrinters(std::chrono::milliseconds timeout);
// Sends the file as it is to the printer's queue.
PrintJob cupsPrintFile(const std::string& printer, const std::string& path,
                       const std::string& title, int copies, std::chrono::milliseconds timeout);

}  // namespace velquarin::platform
