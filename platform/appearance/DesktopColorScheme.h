#pragma once

#include <cstdint>
#include <functional>
#include <future>
#include <optional>
#include <string>

#include "appearance/Appearance.h"

namespace velquarin::platform {

// Where the appearance comes from on a Linux desktop, most authoritative first.

// The settings portal's org.freedesktop.appearance color-scheme on the session bus. Nothing
// when there is no bus, no running portal, no preference, or no answer within `timeoutUsec`.
std::optional<AppearanceStyle> readPortalColorScheme(std::uint64_t timeoutUsec);

// Watches the portal for changes of the colour scheme on a thread of its own and reports
// each as the appearance it now means (no preference: what GTK says, else light).
// `onChange` runs on that thread. Returns at once; the thread connects, sets up the watch,
// then reads the scheme on the same connection: the answer holds that first read
// (nothing as readPortalColorScheme says), and once it is known the watch is in place.
std::shared_future<std::optional<AppearanceStyle>> watchPortalColorScheme(
    std::function<void(AppearanceStyle)> onChange);

// GTK's theme: $GTK_THEME, else gtk-4.0 then gtk-3.0 settings.ini under `configHome`
// (the dark-theme preference, then a theme name that says dark).
std::optional<AppearanceStyle> readGtkTheme(const std::string& configHome);

// The portal's answer, else GTK's, else light.
AppearanceStyle appearanceFrom(std::optional<AppearanceStyle> portal);

// The portal first (read now), then GTK, else light.
AppearanceStyle readDesktopAppearance();

}  // namespace velquarin::platform
