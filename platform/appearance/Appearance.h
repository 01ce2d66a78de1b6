#pragma once

#include <optional>
#include <string>

namespace velquarin::platform {

enum class AppearanceStyle { Light, Dark };

// The desktop's appearance as the application sees it. Read from the desktop on first use;
// the binding (acting as the desktop) can change it. A change is posted on the distributed
// notification centre under kThemeChangedNotification, as the desktop would post it.
class Appearance {
 public:
  static constexpr const char* kThemeChangedNotification = "AppleInterfaceThemeChangedNotification";

  // Starts asking the desktop on a thread of its own, so that the first current() finds the
  // answer on its way. current() starts it too.
  static void prepare();
  static AppearanceStyle current();
  // Sets the appearance; posts the change notification when it differs.
  static void set(AppearanceStyle style);
  // Reads the desktop again and applies what it says (posting when it differs).
  static AppearanceStyle reload();

  static const char* name(AppearanceStyle style);
  static std::optional<AppearanceStyle> fromName(const std::string& name);
};

}  // namespace velquarin::platform
