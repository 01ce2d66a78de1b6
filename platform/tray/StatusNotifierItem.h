#pragma once

// The menu-bar status item as the desktop's panel shows it: while the status bar holds an
// item, it is offered as org.kde.StatusNotifierItem (icon, title, tool tip, status) with its
// menu as com.canonical.dbusmenu, and registered with the desktop's StatusNotifierWatcher.
//
// - The item follows the status bar's first item; hidden there, it gives up its bus name
//   (which takes it off the panel); shown again, it takes a new one and registers again.
// - Without a watcher on the bus the item stays in-process (one info line); a watcher that
//   starts or restarts later gets the registration then.
// - Without a session bus, after losing it or when the name is taken: one line in the log and
//   the in-process item is unaffected.
// Its own connection, served on the main loop (never a thread, never holding the host open).
// Main thread only.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace velquarin::platform {

struct TrayState {
  bool connected = false;   // to the session bus
  bool shown = false;       // the status bar holds an item that is offered
  bool registered = false;  // the watcher accepted the item
  bool watcher = false;     // a watcher is known on the bus
  std::string busName;      // the name the item is offered under, while it is owned
  std::string status;       // "Active" or "NeedsAttention"
  std::string label;
  std::vector<int> iconSizes;
  std::uint32_t menuRevision = 0;
};

class StatusNotifierItem {
 public:
  static constexpr const char* kPath = "/StatusNotifierItem";
  static constexpr const char* kInterface = "org.kde.StatusNotifierItem";
  static constexpr const char* kWatcher = "org.kde.StatusNotifierWatcher";
  // Labels and titles are cut as the in-process menu cuts its long lines.
  static constexpr std::size_t kMaxLabelCharacters = 60;

  static StatusNotifierItem& shared();
  // Starts mirroring the status bar; later calls do nothing.
  void start();
  TrayState state() const;

  struct Impl;

 private:
  StatusNotifierItem();
  std::unique_ptr<Impl> impl_;
};

}  // namespace velquarin::platform
