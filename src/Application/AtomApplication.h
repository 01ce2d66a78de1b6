#pragma once

#include <napi.h>

#include <cstdint>
#include <optional>
#include <string>

#include "application/Event.h"

// Key-event routing between the desktop, the web views and the host's menus: the main menu
// gets the first chance at a fixed set of combinations, a few switch tabs, the host hears
// before key equivalents are matched and about every change of the modifier keys. Works by
// replacing the application's event dispatch and the menus' key-equivalent matching, the
// originals kept under names of their own. Main thread only.

inline constexpr const char* kZqDispatchNotificationName = "ZqDispatchNotificationName";
inline constexpr const char* kZqPasteFilesIntoCurrentWebContents =
    "ZqPasteFilesIntoCurrentWebContents";
inline constexpr const char* kZqOrigSendEvent = "zqOrigSendEvent:";
inline constexpr const char* kZqOrigPerformKeyEquivalent = "zqOrigPerformKeyEquivalent:";
inline constexpr const char* kZqPasteIfPossible = "zqPasteIfPossible";
inline constexpr const char* kZqHandleKeyboardEvent = "zqHandleKeyboardEvent:";

// Modifier tests: command, option and control must be exactly as asked; shift only where a
// predicate names it; caps lock, function, numeric pad and help never matter.
bool IsCommandAndKeyCodeKey(const velquarin::platform::Event& event, std::uint16_t keyCode);
bool IsCommandOptionAndKeyCodeKey(const velquarin::platform::Event& event, std::uint16_t keyCode);
bool IsCommandControlAndKeyCodeKey(const velquarin::platform::Event& event, std::uint16_t keyCode);
bool IsCommandShiftAndKeyCodeKey(const velquarin::platform::Event& event, std::uint16_t keyCode);
bool IsCommandOptionShiftAndKeyCodeKey(const velquarin::platform::Event& event,
                                       std::uint16_t keyCode);
bool IsCommandAndStringKey(const velquarin::platform::Event& event, const std::string& key);
bool IsCommandShiftAndStringKey(const velquarin::platform::Event& event, const std::string& key);
bool IsCommandKeyPressed(const velquarin::platform::Event& event);
bool IsCommandOptionKeyPressed(const velquarin::platform::Event& event);
bool IsCommandOptionShiftKeyPressed(const velquarin::platform::Event& event);
bool IsCommandControlKeyPressed(const velquarin::platform::Event& event);
bool IsCommandShiftKeyPressed(const velquarin::platform::Event& event);
// A key down with command or control (or both) held.
bool IsEventForKeyEquivalent(const velquarin::platform::Event& event);

// Start-up: the two replacements, the added methods and the activation observer (once).
void ZqInstallApplicationPatch();
// Turns the framework's automatic window tabbing off.
void ZqDisableNativeTabs();

void ZqSetKeyboardModifierKeysCallback(Napi::Value function);
// Calls the modifier-keys callback with the event's eight flags, unless no callback is set
// or the event lies exactly at (0, 0) of its window (a copy the host re-sent).
void ProcessKeyboardModifierKeysEvent(const velquarin::platform::Event& event);
// The JSON text of `modifierKeys`, absent when the application has no current event.
std::optional<std::string> ZqModifierKeysDescription();
