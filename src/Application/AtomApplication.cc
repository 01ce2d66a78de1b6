#include "Application/AtomApplication.h"

#include <array>
#include <mutex>
#include <nlohmann/json.hpp>

#include "Menu/ZqMainMenu.h"
#include "Pasteboard/ZqPasteboard.h"
#include "Utilities/ZqCallbackSlot.h"
#include "Utilities/ZqJSON.h"
#include "Utilities/ZqLog.h"
#include "Utilities/ZqStartupStep.h"
#include "application/Application.h"
#include "notificationcenter/NotificationCenter.h"
#include "runtime/ClassRegistry.h"
#include "windows/Window.h"

using velquarin::platform::Application;
using velquarin::platform::Event;
using velquarin::platform::EventType;
using velquarin::platform::Menu;
using velquarin::platform::NotificationCenter;
namespace Flags = velquarin::platform::EventModifierFlags;

namespace {

enum class Shift { Any, On };

// Command always on; option and control exactly as given; shift as asked.
bool modifiers(const Event& event, bool option, bool control, Shift shift) {
  return event.has(Flags::Command) && event.has(Flags::Option) == option &&
         event.has(Flags::Control) == control && (shift == Shift::Any || event.has(Flags::Shift));
}

// The last command or control key down dispatched, for matching a re-sent copy of it.
std::optional<Event>& lastKeydownEvent() {
  static auto* event = new std::optional<Event>();
  return *event;
}

ZqCallbackSlot& modifierKeysCallback() {
  static auto* slot = new ZqCallbackSlot("keyboard modifier keys callback");
  return *slot;
}

bool isAtOrigin(const Event& event) {
  return event.locationX == 0 && event.locationY == 0;
}

// The combinations the main menu is offered before anything else sees them.
bool isSpecialCombination(const Event& event) {
  if (event.type != EventType::KeyDown) return false;
  return IsCommandAndKeyCodeKey(event, 43) || IsCommandAndKeyCodeKey(event, 123) ||
         IsCommandAndKeyCodeKey(event, 124) || IsCommandAndKeyCodeKey(event, 125) ||
         IsCommandAndKeyCodeKey(event, 126) || IsCommandOptionAndKeyCodeKey(event, 125) ||
         IsCommandOptionAndKeyCodeKey(event, 126) || IsCommandControlAndKeyCodeKey(event, 49) ||
         IsCommandShiftAndStringKey(event, "D") || IsCommandShiftAndKeyCodeKey(event, 2) ||
         IsCommandControlAndKeyCodeKey(event, 123) || IsCommandControlAndKeyCodeKey(event, 124) ||
         IsCommandOptionAndKeyCodeKey(event, 123) || IsCommandOptionAndKeyCodeKey(event, 124) ||
         IsCommandOptionShiftAndKeyCodeKey(event, 9);
}

bool postTabAction(const char* action) {
  NotificationCenter::defaultCenter().post(kZqDispatchNotificationName, &Application::shared(),
                                           {{"action", action}});
  return true;
}

bool switchTabs(const Event& event) {
  const auto& typed = event.charactersIgnoringModifiers;
  if (event.has(Flags::Command) && event.has(Flags::Shift)) {
    if (typed == "{") return postTabAction("window/set-previous-tab-active");
    if (typed == "}") return postTabAction("window/set-next-tab-active");
  }
  if (event.has(Flags::Command) && event.has(Flags::Option)) {
    if (typed == "[") return postTabAction("window/set-previous-tab-active");
    if (typed == "]") return postTabAction("window/set-next-tab-active");
  }
  if (IsCommandControlAndKeyCodeKey(event, 123) || IsCommandOptionAndKeyCodeKey(event, 123)) {
    return postTabAction("window/set-previous-tab-active");
  }
  if (IsCommandControlAndKeyCodeKey(event, 124) || IsCommandOptionAndKeyCodeKey(event, 124)) {
    return postTabAction("window/set-next-tab-active");
  }
  return false;
}

bool originalMatching(Menu& menu, const Event& event) {
  auto original =
      Menu::keyEquivalentOperations().lookup(Menu::kClassName, kZqOrigPerformKeyEquivalent);
  return original && original(menu, event);
}

bool performKeyEquivalent(Menu& menu, const Event& offered) {
  const auto mainMenu = Application::shared().mainMenu();
  if (&menu != mainMenu.get()) return originalMatching(menu, offered);
  auto& last = lastKeydownEvent();
  // A copy the host re-sent (at the window's origin) is matched as the press it copies.
  const Event event =
      last && isAtOrigin(offered) && last->characters == offered.characters ? *last : offered;
  last.reset();
  if (!IsEventForKeyEquivalent(event)) return false;
  if (switchTabs(event)) return true;
  ZqPostAppNeedsUpdateNotification(*mainMenu, &event);
  // The snapshot keeps the menu and its items while the host changes or replaces them.
  const auto items = mainMenu->items();
  for (std::size_t step = 1; step <= items.size(); ++step) {
    const auto& item = items[step % items.size()];  // second to last, then the first
    if (item->isHidden() || !item->submenu()) continue;
    if (originalMatching(*item->submenu(), event)) return true;
  }
  return false;
}

void sendEvent(Application& application, const Event& event) {
  if (isSpecialCombination(event)) {
    const auto menu = application.mainMenu();
    if (menu && menu->performKeyEquivalent(event)) return;
  } else if (event.type == EventType::FlagsChanged) {
    ProcessKeyboardModifierKeysEvent(event);
  }
  if (auto original =
          Application::eventOperations().lookup(application.className(), kZqOrigSendEvent)) {
    original(application, event);
  }
  if (IsEventForKeyEquivalent(event)) lastKeydownEvent() = event;
}

bool pasteIfPossible(Application&) {
  if (!hasFilesInPasteboard("public.file-url")) return false;
  NotificationCenter::defaultCenter().post(kZqPasteFilesIntoCurrentWebContents);
  return true;
}

void patchApplicationClass() {
  auto& application = Application::shared();
  const auto& cls = application.className();
  if (!velquarin::platform::ClassRegistry::shared().exists(cls)) {
    ZQ_LOG_AS("AtomApplication", ZqLogLevel::Error,
              "Cannot patch as I didn't find application class");
    return;
  }
  Application::queryOperations().add(cls, kZqPasteIfPossible, pasteIfPossible);
  Application::filterOperations().add(cls, kZqHandleKeyboardEvent,
                                      [](Application&, const Event& event) { return event; });
  auto& events = Application::eventOperations();
  events.add(cls, kZqOrigSendEvent, events.replace(cls, Application::kSendEvent, sendEvent));
}

void patchMenuClass() {
  if (!velquarin::platform::ClassRegistry::shared().exists(Menu::kClassName)) {
    ZQ_LOG_AS("AtomApplication", ZqLogLevel::Error, "Cannot patch as I didn't find NSMenu class");
    return;
  }
  auto& menus = Menu::keyEquivalentOperations();
  menus.add(Menu::kClassName, kZqOrigPerformKeyEquivalent,
            menus.replace(Menu::kClassName, Menu::kPerformKeyEquivalent, performKeyEquivalent));
}

void reportModifiersOnActivation() {
  NotificationCenter::defaultCenter().addObserver(
      std::string(velquarin::platform::kApplicationDidBecomeActiveNotification), nullptr,
      NotificationCenter::Delivery::MainQueue, [](const velquarin::platform::Notification&) {
        // A copy: the host may send another event from inside the callback.
        const auto current = Application::shared().currentEvent();
        if (current) ProcessKeyboardModifierKeysEvent(*current);
      });
}

const ZqStartupStep applicationPatch(3, "ZqInstallApplicationPatch",
                                     [](Napi::Env) { ZqInstallApplicationPatch(); });
const ZqStartupStep nativeTabs(4, "ZqDisableNativeTabs", [](Napi::Env) { ZqDisableNativeTabs(); });

}  // namespace

bool IsCommandAndKeyCodeKey(const Event& event, std::uint16_t keyCode) {
  return modifiers(event, false, false, Shift::Any) && event.keyCode == keyCode;
}

bool IsCommandOptionAndKeyCodeKey(const Event& event, std::uint16_t keyCode) {
  return modifiers(event, true, false, Shift::Any) && event.keyCode == keyCode;
}

bool IsCommandControlAndKeyCodeKey(const Event& event, std::uint16_t keyCode) {
  return modifiers(event, false, true, Shift::Any) && event.keyCode == keyCode;
}

bool IsCommandShiftAndKeyCodeKey(const Event& event, std::uint16_t keyCode) {
  return modifiers(event, false, false, Shift::On) && event.keyCode == keyCode;
}

bool IsCommandOptionShiftAndKeyCodeKey(const Event& event, std::uint16_t keyCode) {
  return modifiers(event, true, false, Shift::On) && event.keyCode == keyCode;
}

bool IsCommandAndStringKey(const Event& event, const std::string& key) {
  return modifiers(event, false, false, Shift::Any) && event.charactersIgnoringModifiers == key;
}

bool IsCommandShiftAndStringKey(const Event& event, const std::string& key) {
  return modifiers(event, false, false, Shift::On) && event.charactersIgnoringModifiers == key;
}

bool IsCommandKeyPressed(const Event& event) {
  return modifiers(event, false, false, Shift::Any);
}

bool IsCommandOptionKeyPressed(const Event& event) {
  return modifiers(event, true, false, Shift::Any);
}

bool IsCommandOptionShiftKeyPressed(const Event& event) {
  return modifiers(event, true, false, Shift::On);
}

bool IsCommandControlKeyPressed(const Event& event) {
  return modifiers(event, false, true, Shift::Any);
}

bool IsCommandShiftKeyPressed(const Event& event) {
  return modifiers(event, false, false, Shift::On);
}

bool IsEventForKeyEquivalent(const Event& event) {
  return event.type == EventType::KeyDown &&
         (event.has(Flags::Command) || event.has(Flags::Control));
}

void ZqInstallApplicationPatch() {
  // Once: a second install would keep the replacement as the original and call itself.
  static std::once_flag once;
  std::call_once(once, [] {
    patchApplicationClass();
    patchMenuClass();
    reportModifiersOnActivation();
  });
}

void ZqDisableNativeTabs() {
  velquarin::platform::Window::setAllowsAutomaticWindowTabbing(false);
}

void ZqSetKeyboardModifierKeysCallback(Napi::Value function) {
  modifierKeysCallback().set(function);
}

void ProcessKeyboardModifierKeysEvent(const Event& event) {
  auto& slot = modifierKeysCallback();
  if (!slot.isSet() || isAtOrigin(event)) return;
  constexpr std::array<std::uint64_t, 8> kOrder{Flags::Function, Flags::Control,   Flags::Option,
                                                Flags::Command,  Flags::Shift,     Flags::CapsLock,
                                                Flags::Help,     Flags::NumericPad};
  slot.invoke([&](Napi::Env env) {
    std::vector<napi_value> flags;
    for (const auto flag : kOrder) flags.push_back(Napi::Boolean::New(env, event.has(flag)));
    return flags;
  });
}

std::optional<std::string> ZqModifierKeysDescription() {
  const auto& event = Application::shared().currentEvent();
  if (!event) return std::nullopt;
  const bool keyboard = event->isKeyboard();
  return ZqConvertToJSONString({{"mouse?", !keyboard},
                                {"keyboard?", keyboard},
                                {"function-modifier?", event->has(Flags::Function)},
                                {"control-modifier?", event->has(Flags::Control)},
                                {"option-modifier?", event->has(Flags::Option)},
                                {"command-modifier?", event->has(Flags::Command)},
                                {"shift-modifier?", event->has(Flags::Shift)}});
}
