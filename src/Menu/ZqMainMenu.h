#pragma once

#include <cstdint>
#include <memory>
#include <nlohmann/json.hpp>
#include <string_view>

#include "application/Event.h"
#include "menus/Menu.h"

// The host's main menu seen from the module: items updated by command identifier or by a
// navigation path, and notices when a top-level menu opens or closes. Main thread only.

inline constexpr const char* kZqAppMenuWillOpen = "ZqAppMenuWillOpen";
inline constexpr const char* kZqAppMenuDidClose = "ZqAppMenuDidClose";

// The delegate of the main menu and its top-level submenus: it posts the notices.
class ZqAppMenuDelegate : public velquarin::platform::MenuDelegate {
 public:
  static std::shared_ptr<ZqAppMenuDelegate> sharedInstance();
  void menuWillOpen(velquarin::platform::Menu& menu) override;
  void menuDidClose(velquarin::platform::Menu& menu) override;
};

// Makes the shared delegate the delegate of the main menu and of each top-level submenu.
// A host that replaces its menu calls it again.
void ZqSetupAppMenuNeedsUpdateNotification();

// Posts "ZqAppMenuWillOpen" for `menu`, describing `event` (none: an empty description).
void ZqPostAppNeedsUpdateNotification(velquarin::platform::Menu& menu,
                                      const velquarin::platform::Event* event);

// The "event" dictionary of the notice.
nlohmann::json ZqMenuEventDescription(const velquarin::platform::Event* event);

// The two updates as the host calls them, with their JSON texts: 1 when an item was updated,
// else 0 (with an error line for bad input).
int ZqMainMenuUpdateMenuItem(std::string_view pathText, std::string_view attributesText);
int ZqMainMenuUpdateMenuItemWithCommandId(std::int32_t commandId, std::string_view attributesText);

// An accelerator ("Cmd+Shift+D") as a key equivalent and its modifier mask.
struct ZqKeyEquivalent {
  std::string key;
  std::uint64_t modifierMask = 0;
};
ZqKeyEquivalent ZqParseAccelerator(const nlohmann::json& accelerator);
