// libvelquarin-printing.so: the only part of the package linked to libcups.

#include "printing/CupsLibrary.h"

#include <cups/cups.h>

#include <chrono>
#include <memory>

namespace velquarin::platform {

namespace {

struct Connection {
  std::chrono::steady_clock::time_point deadline;
  http_t* http = nullptr;
  ~Connection() {
    if (http) httpClose(http);
  }
};

// Asked by libcups when the server is slow: go on only before the deadline.
int keepWaiting(http_t*, void* data) {
  return std::chrono::steady_clock::now() < static_cast<Connection*>(data)->deadline ? 1 : 0;
}

std::unique_ptr<Connection> connect(std::chrono::milliseconds timeout, std::string& error) {
  auto connection = std::make_unique<Connection>();
  connection->deadline = std::chrono::steady_clock::now() + timeout;
  connection->http = httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1,
                                  static_cast<int>(timeout.count()), nullptr);
  if (!connection->http) {
    error =
        std::string("cannot reach the print server ") + cupsServer() + ": " + cupsLastErrorString();
    return nullptr;
  }
  httpSetTimeout(connection->http, 1.0, keepWaiting, connection.get());
  return connection;
}

PrinterList printers(std::chrono::milliseconds timeout) {
  PrinterList list;
  auto connection = connect(timeout, list.error);
  if (!connection) return list;
  cups_dest_t* dests = nullptr;
  const int count = cupsGetDests2(connection->http, &dests);
  if (count == 0 && cupsLastError() > IPP_STATUS_OK_EVENTS_COMPLETE) {
    list.error = cupsLastErrorString();
  }
  for (int i = 0; i < count; ++i) {
    if (dests[i].instance) continue;
    list.printers.emplace_back(dests[i].name);
    if (dests[i].is_default) list.defaultPrinter = dests[i].name;
  }
  cupsFreeDests(count, dests);
  if (list.printers.empty() && list.error.empty()) list.error = "no printer is set up";
  return list;
}

PrintJob printFile(const std::string& printer, const std::string& path, const std::string& title,
                   int copies, std::chrono::milliseconds timeout) {
  PrintJob job{0, printer, path, title, copies, {}};
  auto connection = connect(timeout, job.error);
  if (!connection) return job;
  cups_option_t* options = nullptr;
  int count = cupsAddOption("copies", std::to_string(copies).c_str(), 0, &options);
  job.id = cupsPrintFile2(connection->http, printer.c_str(), path.c_str(), title.c_str(), count,
                          options);
  cupsFreeOptions(count, options);
  if (job.id == 0) job.error = cupsLastErrorString();
  return job;
}

}  // namespace

}  // namespace velquarin::platform

extern "C" __attribute__((visibility("default"))) const velquarin::platform::CupsLibrary*
velquarin_printing_library() {
  static const velquarin::platform::CupsLibrary table{&velquarin::platform::printers,
                                                      &velquarin::platform::printFile};
  return &table;
}
