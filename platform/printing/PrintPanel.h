#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "printing/CupsPrinting.h"

namespace velquarin::platform {

// The print panel of one file, one at a time: the printers found, the default selected.
// Confirming sends the file on the background queue and records the job; the main thread
// never waits on the print server. Main thread only.
class PrintPanel {
 public:
  PrintPanel(std::string path, PrinterList printers);

  static std::shared_ptr<PrintPanel> current();
  // Shows the panel; one already shown is cancelled.
  static void present(const std::shared_ptr<PrintPanel>& panel);
  // Confirms with a printer the panel lists, or cancels with nullopt. False when no panel is
  // shown, the printer is not listed or the copies are not 1 to 999.
  static bool end(const std::optional<std::string>& printer, int copies);
  // The jobs sent so far, in the order the server answered.
  static const std::vector<PrintJob>& jobs();

  static std::chrono::milliseconds timeout();

  const std::string& path() const { return path_; }
  const PrinterList& printers() const { return printers_; }
  std::optional<std::string> selectedPrinter;

 private:
  std::string path_;
  PrinterList printers_;
};

}  // namespace velquarin::platform
