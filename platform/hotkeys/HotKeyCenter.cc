#include "hotkeys/HotKeyCenter.h"

#include <algorithm>
#include <cstdlib>

#include "hotkeys/X11HotKeys.h"
#include "keyboard/KeyCodes.h"
#include "logging/Log.h"

namespace velquarin::platform {
namespace {

void logInfo(int line, std::string_view text) {
  Log::write(LogLevel::Info, {"hotkeys/HotKeyCenter", "HotKeyCenter", line}, text);
}

bool present(const char* variable) {
  const char* value = std::getenv(variable);
  return value && *value;
}

}  // namespace

HotKeyCenter& HotKeyCenter::shared() {
  static auto* center = new HotKeyCenter();  // leaked: grabs outlive static destructors
  return *center;
}

HotKeyCenter::HotKeyCenter() {
  if (present("DISPLAY")) {
    std::string why;
    backend_ = openX11HotKeys(
        nullptr, [this](const HotKeyCombination& combination) { press(combination); }, &why);
    if (!backend_) logInfo(__LINE__, "global hot keys in-process only: " + why);
  }
  if (present("WAYLAND_DISPLAY")) {
    logInfo(__LINE__, "Wayland session: global hot keys fire only while an X11 window has focus");
  }
}

std::string HotKeyCenter::backendName() const {
  return backend_ ? backend_->name() : "in-process";
}

const HotKeyCenter::Registration* HotKeyCenter::find(const HotKeyCombination& combination) const {
  const auto found = std::find_if(registrations_.begin(), registrations_.end(),
                                  [&](const auto& r) { return r.combination == combination; });
  return found == registrations_.end() ? nullptr : &*found;
}

bool HotKeyCenter::registerHotKey(const HotKeyIdentifier& identifier,
                                  const HotKeyCombination& combination) {
  const HotKeyCombination clean{combination.keyCode, combination.modifiers & HotKeyModifiers::All};
  if (!keyCodeForVirtualKey(clean.keyCode) || find(clean) ||
      std::count(takenElsewhere_.begin(), takenElsewhere_.end(), clean)) {
    return false;
  }
  const bool identifierUsed =
      std::any_of(registrations_.begin(), registrations_.end(),
                  [&](const auto& r) { return r.identifier == identifier; });
  if (identifierUsed || (backend_ && !backend_->grab(clean))) return false;
  registrations_.push_back({identifier, clean});
  return true;
}

void HotKeyCenter::unregisterHotKey(const HotKeyIdentifier& identifier) {
  const auto found = std::find_if(registrations_.begin(), registrations_.end(),
                                  [&](const auto& r) { return r.identifier == identifier; });
  if (found == registrations_.end()) return;
  if (backend_) backend_->ungrab(found->combination);
  registrations_.erase(found);
}

bool HotKeyCenter::press(const HotKeyCombination& combination) {
  const auto* registration =
      find({combination.keyCode, combination.modifiers & HotKeyModifiers::All});
  if (!registration || !handler_) return false;
  const auto identifier = registration->identifier;  // the handler may unregister it
  handler_(identifier);
  return true;
}

void HotKeyCenter::setTakenElsewhere(std::vector<HotKeyCombination> combinations) {
  for (auto& combination : combinations) combination.modifiers &= HotKeyModifiers::All;
  takenElsewhere_ = std::move(combinations);
}

bool HotKeyCenter::isTakenElsewhere(const HotKeyCombination& combination) {
  const HotKeyCombination clean{combination.keyCode, combination.modifiers & HotKeyModifiers::All};
  if (std::count(takenElsewhere_.begin(), takenElsewhere_.end(), clean)) return true;
  // Probing a combination of ours would ungrab it afterwards.
  if (!backend_ || find(clean) || !keyCodeForVirtualKey(clean.keyCode)) return false;
  return backend_->heldElsewhere(clean);
}

}  // namespace velquarin::platform
