#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "bus/MainLoopBus.h"
#include "runloop/MainQueue.h"

namespace velquarin::platform {

// The desktop's file manager through org.freedesktop.FileManager1 on the session bus. Calls
// are sent asynchronously over a connection served on the main loop (no thread of its own):
// they return at once, and an error or no answer within a few seconds is logged. While a
// call waits for its answer the host's loop stays open, so a host that exits right after
// asking still gets its window. Main thread only.
class FileManager {
 public:
  static FileManager& shared();

  // The file manager's properties window for each item; `uris` are file URIs.
  void showItemProperties(const std::vector<std::string>& uris, const std::string& startupId = "");
  // Opens the folders holding the items, with the items selected.
  void showItems(const std::vector<std::string>& uris, const std::string& startupId = "");

  // Calls sent and not answered yet.
  std::size_t pendingCalls() const { return pending_; }

 private:
  FileManager() = default;
  void call(const char* method, const std::vector<std::string>& uris, const std::string& startupId);
  bool connect();
  static int onReply(sd_bus_message* reply, void* userdata, sd_bus_error*);
  void answered();

  std::unique_ptr<MainLoopBus> bus_;
  std::size_t pending_ = 0;
  std::unique_ptr<MainQueue::KeepAlive> hold_;  // while calls are pending
};

}  // namespace velquarin::platform
