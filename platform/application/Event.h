#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "application/EventModifierFlags.h"
#include "windows/Window.h"

namespace velquarin::platform {

// Event types by the desktop's numbers.
enum class EventType : int {
  LeftMouseDown = 1,
  LeftMouseUp = 2,
  RightMouseDown = 3,
  RightMouseUp = 4,
  MouseMoved = 5,
  LeftMouseDragged = 6,
  RightMouseDragged = 7,
  KeyDown = 10,
  KeyUp = 11,
  FlagsChanged = 12,
  ScrollWheel = 22,
  OtherMouseDown = 25,
  OtherMouseUp = 26,
};

// One input event as the application dispatches it: a plain value, copied freely.
struct Event {
  EventType type = EventType::KeyDown;
  // EventModifierFlags bits held while the event happened.
  std::uint64_t modifierFlags = 0;
  // The hardware key code (key events only).
  std::uint16_t keyCode = 0;
  // The text the key produced with the modifiers applied, and ignoring them (shift still
  // counts in the latter, as on the desktop: "D" for shift-d).
  std::string characters;
  std::string charactersIgnoringModifiers;
  // In the window's coordinates, origin at the bottom left; screen coordinates when there is
  // no window.
  double locationX = 0;
  double locationY = 0;
  // The window the event was sent to; empty for none or a window that has gone.
  std::weak_ptr<Window> window;

  bool isKeyboard() const {
    return type == EventType::KeyDown || type == EventType::KeyUp ||
           type == EventType::FlagsChanged;
  }
  bool has(std::uint64_t flag) const { return (modifierFlags & flag) != 0; }
};

}  // namespace velquarin::platform
