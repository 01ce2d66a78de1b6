#include "printing/PrintPanel.h"

#include <algorithm>
#include <filesystem>

#include "runloop/BackgroundQueue.h"

namespace velquarin::platform {

namespace {

std::shared_ptr<PrintPanel>& shown() {
  static auto* panel = new std::shared_ptr<PrintPanel>();
  return *panel;
}

std::vector<PrintJob>& recorded() {
  static auto* jobs = new std::vector<PrintJob>();
  return *jobs;
}

}  // namespace

PrintPanel::PrintPanel(std::string path, PrinterList printers)
    : selectedPrinter(printers.defaultPrinter),
      path_(std::move(path)),
      printers_(std::move(printers)) {
  if (!selectedPrinter && !printers_.printers.empty()) selectedPrinter = printers_.printers.front();
}

std::shared_ptr<PrintPanel> PrintPanel::current() {
  return shown();
}

void PrintPanel::present(const std::shared_ptr<PrintPanel>& panel) {
  shown() = panel;
}

std::chrono::milliseconds PrintPanel::timeout() {
  return std::chrono::seconds(10);
}

const std::vector<PrintJob>& PrintPanel::jobs() {
  return recorded();
}

bool PrintPanel::end(const std::optional<std::string>& printer, int copies) {
  auto panel = shown();
  if (!panel) return false;
  if (!printer) {
    shown().reset();
    return true;
  }
  const auto& listed = panel->printers_.printers;
  if (std::find(listed.begin(), listed.end(), *printer) == listed.end() || copies < 1 ||
      copies > 999) {
    return false;
  }
  shown().reset();
  const std::string title = std::filesystem::path(panel->path_).filename().string();
  BackgroundQueue::shared().async(
      [printer = *printer, path = panel->path_, title, copies] {
        return cupsPrintFile(printer, path, title, copies, timeout());
      },
      [](PrintJob job) { recorded().push_back(std::move(job)); }, true);
  return true;
}

}  // namespace velquarin::platform
