#pragma once

#include <string>

// Printing a file: the print panel with the printers of the print server, the default one
// selected; the server is asked on the background queue.
class ZqPreview {
 public:
  static void printFile(const std::string& path);
};
