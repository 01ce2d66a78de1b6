#pragma once

#include <map>
#include <memory>

#include "Shortcuts/MASHotKey.h"
#include "Shortcuts/MASShortcut.h"

// The registered hot keys by shortcut; a press runs the hot key's action on the main queue.
class MASShortcutMonitor {
 public:
  static MASShortcutMonitor& sharedMonitor();

  // False when the system refused it (taken, also by an earlier registration of ours).
  bool registerShortcut(const MASShortcut& shortcut, MASHotKey::Action action);
  void unregisterShortcut(const MASShortcut* shortcut);
  void unregisterAllShortcuts() { hotKeys_.clear(); }
  bool isShortcutRegistered(const MASShortcut& shortcut) const {
    return hotKeys_.count(shortcut) != 0;
  }

 private:
  MASShortcutMonitor();
  void handleEvent(std::uint32_t signature, std::uint32_t carbonID);

  std::map<MASShortcut, std::unique_ptr<MASHotKey>> hotKeys_;
};
