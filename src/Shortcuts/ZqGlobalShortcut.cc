#include "Shortcuts/ZqGlobalShortcut.h"

#include <nlohmann/json.hpp>

#include "Shortcuts/MASShortcutBinder.h"
#include "Shortcuts/MASShortcutValidator.h"
#include "Utilities/ZqLog.h"
#include "application/Application.h"
#include "defaults/UserDefaults.h"
#include "notificationcenter/NotificationCenter.h"
#include "sound/Beep.h"

using velquarin::platform::Application;
using velquarin::platform::Event;
using velquarin::platform::NotificationCenter;
using velquarin::platform::UserDefaults;
namespace Flags = velquarin::platform::EventModifierFlags;

namespace {

constexpr std::uint16_t kTab = 48;
constexpr std::uint16_t kDelete = 51;
constexpr std::uint16_t kForwardDelete = 117;
constexpr std::uint16_t kEscape = 53;
constexpr std::uint16_t kW = 13;
constexpr std::uint16_t kQ = 12;
// Key down and modifier change.
constexpr std::uint64_t kEventMask = (1u << 10) | (1u << 12);

bool inMask(const Event& event) {
  return (kEventMask >> static_cast<int>(event.type)) & 1u;
}

std::string describeOrNull(const std::string& text) {
  return text.empty() ? "(null)" : text;
}

}  // namespace

ZqGlobalShortcut& ZqGlobalShortcut::sharedInstance() {
  static auto* shared = new ZqGlobalShortcut();  // leaked: the recorder lasts the process
  return *shared;
}

void ZqGlobalShortcut::startMonitoringKeyboardEvents(const std::string& defaultsKey) {
  if (eventMonitor_) {
    ZQ_LOG_ERROR("Already monitoring: Cannot turn on monitor for shortcuts.");
    return;
  }
  auto defaults = UserDefaults::standard();
  defaultsKey_ = defaultsKey;
  savedShortcutData_ = defaults->value(defaultsKey);
  defaults->remove(defaultsKey);
  eventMonitor_ = Application::shared().addLocalMonitor(
      [this](const Event& event) { return handleEvent(event); });
  postNotificationWith(std::nullopt, "");
}

void ZqGlobalShortcut::endMonitor() {
  if (!eventMonitor_) return;
  Application::shared().removeLocalMonitor(*eventMonitor_);
  eventMonitor_.reset();
}

std::optional<Event> ZqGlobalShortcut::handleEvent(const Event& event) {
  if (!inMask(event)) return event;
  const auto shortcut = MASShortcut::shortcutWithEvent(event);
  const auto flags = shortcut.modifierFlags();
  const auto key = event.keyCode;
  if (key == kTab) return event;
  if (flags == 0 && (key == kDelete || key == kForwardDelete || key == kEscape)) {
    stopMonitoringKeyboardEvents();
    return std::nullopt;
  }
  if (flags == Flags::Command && (key == kW || key == kQ)) return std::nullopt;
  if (shortcut.keyCodeString().empty()) {
    postNotificationWith(shortcut, "");
    return std::nullopt;
  }
  auto& validator = MASShortcutValidator::sharedValidator();
  if (!validator.isShortcutValid(shortcut)) {
    velquarin::platform::sound::beep();
    return std::nullopt;
  }
  std::string explanation;
  if (validator.isShortcutAlreadyTakenBySystem(shortcut, &explanation)) {
    postNotificationWith(shortcut, explanation);
    return std::nullopt;
  }
  endMonitor();
  if (defaultsKey_) UserDefaults::standard()->set(*defaultsKey_, shortcut.archive());
  postNotificationWith(shortcut, "");
  // The earlier value has been replaced; a later stop must not write it back over this one.
  savedShortcutData_.reset();
  return std::nullopt;
}

void ZqGlobalShortcut::stopMonitoringKeyboardEvents() {
  endMonitor();
  if (!defaultsKey_) return;
  auto defaults = UserDefaults::standard();
  if (savedShortcutData_) {
    defaults->set(*defaultsKey_, *savedShortcutData_);
    savedShortcutData_.reset();
  }
  const auto now = MASShortcutStoredUnderKey(*defaultsKey_);
  NotificationCenter::defaultCenter().post(kZqKeyboardShortcutMonitorUpdated, this,
                                           {{"shortcut", now ? now->description() : ""},
                                            {"error", ""},
                                            {"valid?", true},
                                            {"existing?", true},
                                            {"monitoring?", false}});
  defaultsKey_.reset();
}

void ZqGlobalShortcut::postNotificationWith(const std::optional<MASShortcut>& shortcut,
                                            const std::string& error) {
  const auto description = shortcut ? shortcut->description() : std::string();
  ZQ_SYSTEM_LOG("Posting notification! %@ %@", describeOrNull(description), describeOrNull(error));
  NotificationCenter::defaultCenter().post(kZqKeyboardShortcutMonitorUpdated, this,
                                           {{"shortcut", description},
                                            {"error", error},
                                            {"existing?", savedShortcutData_.has_value()},
                                            {"valid?", error.empty()},
                                            {"monitoring?", eventMonitor_.has_value()}});
}

void ZqGlobalShortcut::bindDefaultsKey(const std::string& defaultsKey) {
  MASShortcutBinder::sharedBinder().bindShortcutWithDefaultsKey(defaultsKey, [defaultsKey] {
    NotificationCenter::defaultCenter().post(kZqGlobalShortcutAction,
                                             &ZqGlobalShortcut::sharedInstance(),
                                             {{"defaults-key", defaultsKey}});
  });
}

std::optional<std::string> ZqGlobalShortcut::shortcutDescriptionForDefaultsKey(
    const std::string& defaultsKey) {
  const auto shortcut = MASShortcutStoredUnderKey(defaultsKey);
  if (!shortcut) return std::nullopt;
  return shortcut->description();
}
