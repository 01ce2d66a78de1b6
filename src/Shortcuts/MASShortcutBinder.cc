#include "Shortcuts/MASShortcutBinder.h"

#include "Utilities/ZqLog.h"
#include "defaults/UserDefaults.h"
#include "notificationcenter/NotificationCenter.h"

using velquarin::platform::NotificationCenter;
using velquarin::platform::UserDefaults;

std::optional<MASShortcut> MASShortcutStoredUnderKey(const std::string& defaultsKey) {
  const auto data = UserDefaults::standard()->dataValue(defaultsKey);
  return data ? MASShortcut::unarchive(*data) : std::nullopt;
}

MASShortcutBinder& MASShortcutBinder::sharedBinder() {
  static auto* binder = new MASShortcutBinder();  // leaked: bindings last the process
  return *binder;
}

MASShortcutBinder::MASShortcutBinder() {
  NotificationCenter::defaultCenter().addObserver(
      velquarin::platform::kUserDefaultsDidChangeNotification, nullptr,
      NotificationCenter::Delivery::Posting, [this](const auto& notification) {
        const auto& info = notification.userInfo;
        if (!info.is_object() || !info.contains("key") || !info["key"].is_string()) return;
        if (info.value("domain", "") != UserDefaults::standard()->domain()) return;
        defaultsChanged(info["key"].template get<std::string>());
      });
}

bool MASShortcutBinder::bindShortcutWithDefaultsKey(const std::string& defaultsKey, Action action) {
  for (const char illegal : {'.', ' '}) {
    if (defaultsKey.find(illegal) == std::string::npos) continue;
    ZQ_LOG_ERROR("Illegal character '%@' in binding name \"%@\"", std::string(1, illegal),
                 defaultsKey);
    return false;
  }
  actions_[defaultsKey] = std::move(action);
  setValue(MASShortcutStoredUnderKey(defaultsKey), defaultsKey);
  return true;
}

void MASShortcutBinder::breakBindingWithDefaultsKey(const std::string& defaultsKey) {
  setValue(std::nullopt, defaultsKey);
  actions_.erase(defaultsKey);
}

std::optional<MASShortcut> MASShortcutBinder::valueForUndefinedKey(
    const std::string& defaultsKey) const {
  const auto found = shortcuts_.find(defaultsKey);
  return found == shortcuts_.end() ? std::nullopt : std::optional(found->second);
}

void MASShortcutBinder::defaultsChanged(const std::string& defaultsKey) {
  if (actions_.count(defaultsKey)) setValue(MASShortcutStoredUnderKey(defaultsKey), defaultsKey);
}

void MASShortcutBinder::setValue(const std::optional<MASShortcut>& shortcut,
                                 const std::string& defaultsKey) {
  const auto action = actions_.find(defaultsKey);
  if (action == actions_.end()) return;
  if (const auto previous = valueForUndefinedKey(defaultsKey)) {
    shortcuts_.erase(defaultsKey);
    shortcutMonitor_.unregisterShortcut(&*previous);
    handOver(*previous);
  }
  if (!shortcut) return;
  shortcuts_.insert_or_assign(defaultsKey, *shortcut);
  shortcutMonitor_.registerShortcut(*shortcut, action->second);
}

// Two keys may hold one combination: the one that owned the hot key let it go, so the other
// takes it (else unregistering one key's shortcut would silence the other's).
void MASShortcutBinder::handOver(const MASShortcut& shortcut) {
  if (shortcutMonitor_.isShortcutRegistered(shortcut)) return;
  for (const auto& [key, held] : shortcuts_) {
    if (held != shortcut) continue;
    if (shortcutMonitor_.registerShortcut(shortcut, actions_[key])) return;
  }
}
