#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "appearance/Appearance.h"

namespace velquarin::platform {

// Where the appearance comes from on a Linux desktop, most authoritative first.

// The settings portal's org.freedesktop.appearance color-scheme on the session bus. Nothing
// when there is no bus, no running portal, no preference, or no answer within `timeoutUsec`.
std::optional<AppearanceStyle> readPortalColorScheme(std::uint64_t timeoutUsec);

// GTK's theme: $GTK_THEME, else gtk-4.0 then gtk-3.0 settings.ini under `configHome`
// (the dark-theme preference, then a theme name that says dark).
std::optional<AppearanceStyle> readGtkTheme(const std::string& configHome);

// The portal first, then GTK, else light.
AppearanceStyle readDesktopAppearance();

}  // namespace velquarin::platform
