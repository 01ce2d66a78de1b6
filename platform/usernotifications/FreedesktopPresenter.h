#pragma once

#include <memory>

#include "usernotifications/UserNotificationCenter.h"

namespace velquarin::platform {

// Shows the centre's notifications through the desktop's notification server
// (org.freedesktop.Notifications on the session bus) and turns the server's ActionInvoked,
// NotificationReplied and NotificationClosed signals for them into the centre's activations
// and dismissals. The bus is served on a thread of its own; the centre hears of the user's
// actions on the main queue. Without a bus or a server it logs that once and shows nothing.
std::shared_ptr<UserNotificationPresenter> makeFreedesktopPresenter(UserNotificationCenter& center);

// The text of a notification body for a server that renders markup.
std::string escapeNotificationMarkup(std::string_view text);

}  // namespace velquarin::platform
