#include "Shortcuts/MASShortcutMonitor.h"

#include "hotkeys/HotKeyCenter.h"
#include "runloop/MainQueue.h"

using velquarin::platform::HotKeyCenter;
using velquarin::platform::MainQueue;

MASShortcutMonitor& MASShortcutMonitor::sharedMonitor() {
  static auto* monitor = new MASShortcutMonitor();  // leaked: hot keys last the process
  return *monitor;
}

MASShortcutMonitor::MASShortcutMonitor() {
  HotKeyCenter::shared().setHandler([this](const velquarin::platform::HotKeyIdentifier& id) {
    handleEvent(id.signature, id.id);
  });
}

bool MASShortcutMonitor::registerShortcut(const MASShortcut& shortcut, MASHotKey::Action action) {
  auto hotKey = MASHotKey::registeredHotKeyWithShortcut(shortcut);
  if (!hotKey) return false;
  hotKey->setAction(std::move(action));
  hotKeys_[shortcut] = std::move(hotKey);
  return true;
}

void MASShortcutMonitor::unregisterShortcut(const MASShortcut* shortcut) {
  if (shortcut) hotKeys_.erase(*shortcut);
}

void MASShortcutMonitor::handleEvent(std::uint32_t signature, std::uint32_t carbonID) {
  if (signature != MASHotKey::kSignature) return;
  for (const auto& [shortcut, hotKey] : hotKeys_) {
    if (hotKey->carbonID() != carbonID) continue;
    if (auto action = hotKey->action()) MainQueue::shared().async(std::move(action));
    return;
  }
}
