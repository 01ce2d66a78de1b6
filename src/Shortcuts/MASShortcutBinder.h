#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>

#include "Shortcuts/MASShortcut.h"
#include "Shortcuts/MASShortcutMonitor.h"

// Keeps the hot key of each bound user-defaults key in step with the archive stored there.
class MASShortcutBinder {
 public:
  using Action = std::function<void()>;
  static MASShortcutBinder& sharedBinder();

  // False (with an error line naming it) for a key holding "." or " "; nothing is bound then.
  bool bindShortcutWithDefaultsKey(const std::string& defaultsKey, Action action);
  void breakBindingWithDefaultsKey(const std::string& defaultsKey);

  // The key's current shortcut, and what a change of the key's value hands over.
  std::optional<MASShortcut> valueForUndefinedKey(const std::string& defaultsKey) const;
  void setValue(const std::optional<MASShortcut>& shortcut, const std::string& defaultsKey);

 private:
  MASShortcutBinder();
  void defaultsChanged(const std::string& defaultsKey);
  void handOver(const MASShortcut& shortcut);

  MASShortcutMonitor& shortcutMonitor_ = MASShortcutMonitor::sharedMonitor();
  std::map<std::string, Action> actions_;
  std::map<std::string, MASShortcut> shortcuts_;
};

// The shortcut archived under a user-defaults key; nothing when the value is anything else.
std::optional<MASShortcut> MASShortcutStoredUnderKey(const std::string& defaultsKey);
