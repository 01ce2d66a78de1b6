#pragma once

#include <string>

namespace velquarin::platform {

// What the application's last dispatch of an event did, for the binding to show: whether a
// local monitor swallowed it, whether a web view took it, and the title of the menu item its
// key equivalent fired (empty for none). Reset as each event starts. Main thread only.
struct DispatchReport {
  bool swallowed = false;
  bool webView = false;
  bool menuItemFired = false;
  std::string menuItem;
};

DispatchReport& lastDispatch();

}  // namespace velquarin::platform
