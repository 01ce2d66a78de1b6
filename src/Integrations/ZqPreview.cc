#include "Integrations/ZqPreview.h"

#include <sys/stat.h>

#include <memory>

#include "Utilities/ZqLog.h"
#include "printing/PrintPanel.h"
#include "runloop/BackgroundQueue.h"

namespace platform = velquarin::platform;

void ZqPreview::printFile(const std::string& path) {
  struct stat status {};
  if (path.empty() || ::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) {
    ZQ_LOG_WARN("Cannot print %@: not a file", path);
    return;
  }
  platform::BackgroundQueue::shared().async(
      [] { return platform::cupsPrinters(platform::PrintPanel::timeout()); },
      [path](platform::PrinterList printers) {
        if (printers.printers.empty()) {
          ZQ_LOG_WARN("com.apple.Preview doesn't know how to print.");
          ZQ_LOG_WARN("Printing %@ failed: %@", path, printers.error);
          return;
        }
        platform::PrintPanel::present(
            std::make_shared<platform::PrintPanel>(path, std::move(printers)));
      },
      true);
}
