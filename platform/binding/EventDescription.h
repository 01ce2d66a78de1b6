#pragma once

#include <napi.h>

#include <cstdint>
#include <optional>

#include "application/Event.h"

namespace velquarin::binding {

// Modifier flags from an array of names ("command", "shift", "option", "control",
// "capsLock", "function", "numericPad", "help") or a number of flag bits; nullopt for
// anything else, an unknown name included. Undefined is no modifiers.
std::optional<std::uint64_t> modifierFlagsOf(Napi::Value value);

// An event from a description: {keyCode | code, modifiers, characters,
// charactersIgnoringModifiers, location: {x, y}, window}. Key events get the characters the
// current keyboard layout types unless given. The window defaults to the key window and the
// location to a point inside it; nullopt (after a TypeError) for a malformed description.
std::optional<platform::Event> eventOf(Napi::Env env, platform::EventType type, Napi::Value value);

}  // namespace velquarin::binding
