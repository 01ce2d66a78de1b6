#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "Shortcuts/MASShortcut.h"
#include "application/Event.h"
#include "plist/PlistValue.h"

inline constexpr const char* kZqKeyboardShortcutMonitorUpdated = "ZqKeyboardShortcutMonitorUpdated";
inline constexpr const char* kZqGlobalShortcutAction = "ZqGlobalShortcutAction";

// Records shortcuts from the keyboard into user-defaults keys and binds them to the action
// notification. Main thread only.
class ZqGlobalShortcut {
 public:
  static ZqGlobalShortcut& sharedInstance();

  void startMonitoringKeyboardEvents(const std::string& defaultsKey);
  void stopMonitoringKeyboardEvents();
  void bindDefaultsKey(const std::string& defaultsKey);
  std::optional<std::string> shortcutDescriptionForDefaultsKey(const std::string& defaultsKey);

 private:
  ZqGlobalShortcut() = default;
  std::optional<velquarin::platform::Event> handleEvent(const velquarin::platform::Event& event);
  void endMonitor();
  void postNotificationWith(const std::optional<MASShortcut>& shortcut, const std::string& error);

  std::optional<std::uint64_t> eventMonitor_;
  std::optional<std::string> defaultsKey_;
  std::optional<velquarin::platform::PlistValue> savedShortcutData_;
};
