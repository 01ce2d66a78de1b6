#pragma once

#include <memory>
#include <string>

#include "Shortcuts/MASShortcut.h"
#include "menus/Menu.h"

// Which shortcuts may be recorded, and which are taken already.
class MASShortcutValidator {
 public:
  static MASShortcutValidator& sharedValidator();

  bool allowAnyShortcutWithOptionModifier = false;

  bool isShortcutValid(const MASShortcut& shortcut) const;
  // "used-by:<title>" for the first item (depth first) whose key equivalent is the shortcut.
  bool isShortcutAlreadyTakenInMenu(const MASShortcut& shortcut,
                                    const velquarin::platform::Menu& menu,
                                    std::string* explanation) const;
  // "used-system-wide" for an enabled system shortcut or another program's hot key; else
  // the main menu's answer.
  bool isShortcutAlreadyTakenBySystem(const MASShortcut& shortcut, std::string* explanation) const;
};
