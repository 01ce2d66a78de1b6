#pragma once

#include <memory>

#include "application/ApplicationDelegate.h"
#include "menus/Menu.h"

// The dock menu: the status item's menu in its compact form, made anew at every request, and
// three actions forwarded to the status item controller. Installed on the application
// delegate's class at start-up. Main thread only.

// Selectors of the three forwarders on the delegate's class.
inline constexpr const char* kZqCheckForNewMessagesSelector = "zq_checkForNewMessages:";
inline constexpr const char* kZqToggleDoNotDisturbSelector = "zq_toggleDoNotDisturb:";
inline constexpr const char* kZqComposeNewMessageSelector = "zq_composeNewMessage:";

std::shared_ptr<velquarin::platform::Menu> ZqDockMenu(velquarin::platform::ApplicationDelegate&);
void ZqCheckForNewMessages(velquarin::platform::ApplicationDelegate&);
void ZqToogleDoNotDisturb(velquarin::platform::ApplicationDelegate&);
void ZqComposeNewMessage(velquarin::platform::ApplicationDelegate&);

// Adds the forwarders (keeping any the class has) and replaces its dock menu operation.
void ZqInstallDockMenuPatch();
