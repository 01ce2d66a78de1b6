#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace velquarin::platform {

// A string setting from the desktop settings portal (org.freedesktop.portal.Settings on the
// session bus), such as "org.gnome.desktop.interface" "icon-theme". Nothing when there is no
// bus, no running portal (asking never starts one), no such setting, a value of another
// type, or no answer within `timeoutUsec`.
std::optional<std::string> readPortalString(const std::string& nameSpace, const std::string& key,
                                            std::uint64_t timeoutUsec);

}  // namespace velquarin::platform
