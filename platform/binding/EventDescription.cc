#include "binding/EventDescription.h"

#include <cmath>
#include <string_view>

#include "binding/BindingRegistry.h"
#include "keyboard/KeyCodes.h"
#include "keyboard/KeyboardLayout.h"
#include "windows/WindowOrdering.h"
#include "windows/WindowRegistry.h"

namespace velquarin::binding {
namespace {

namespace Flags = platform::EventModifierFlags;

constexpr std::pair<std::string_view, std::uint64_t> kModifierNames[] = {
    {"command", Flags::Command},       {"shift", Flags::Shift},       {"option", Flags::Option},
    {"control", Flags::Control},       {"capsLock", Flags::CapsLock}, {"function", Flags::Function},
    {"numericPad", Flags::NumericPad}, {"help", Flags::Help},
};

// A point inside the window's content, away from its origin.
constexpr double kDefaultLocation = 10;

std::optional<std::uint16_t> keyCodeOf(Napi::Object object) {
  auto code = object.Get("keyCode");
  if (code.IsNumber()) {
    const double number = code.As<Napi::Number>().DoubleValue();
    if (!(number >= 0 && number <= 0xffff) || std::trunc(number) != number) return std::nullopt;
    return static_cast<std::uint16_t>(number);
  }
  auto dom = object.Get("code");
  if (dom.IsString()) {
    if (auto key = platform::keyCodeForDomCode(dom.As<Napi::String>().Utf8Value())) {
      return key->virtualKey;
    }
    return std::nullopt;
  }
  return code.IsUndefined() ? std::optional<std::uint16_t>(0xffff) : std::nullopt;
}

}  // namespace

std::optional<std::uint64_t> modifierFlagsOf(Napi::Value value) {
  if (value.IsUndefined()) return 0;
  if (value.IsNumber()) {
    const double number = value.As<Napi::Number>().DoubleValue();
    if (!(number >= 0 && number < 18446744073709551616.0)) return std::nullopt;
    return static_cast<std::uint64_t>(number) & Flags::DeviceIndependentMask;
  }
  if (!value.IsArray()) return std::nullopt;
  auto names = value.As<Napi::Array>();
  std::uint64_t flags = 0;
  for (uint32_t i = 0; i < names.Length(); ++i) {
    auto name = names.Get(i);
    if (!name.IsString()) return std::nullopt;
    const auto text = name.As<Napi::String>().Utf8Value();
    bool known = false;
    for (const auto& [each, flag] : kModifierNames) {
      if (each == text) {
        flags |= flag;
        known = true;
      }
    }
    if (!known) return std::nullopt;
  }
  return flags;
}

std::optional<platform::Event> eventOf(Napi::Env env, platform::EventType type, Napi::Value value) {
  const char* usage =
      "an event is {keyCode?: number | code?: string, modifiers?: string[] | number, "
      "characters?: string, charactersIgnoringModifiers?: string, location?: {x, y}, "
      "window?: Buffer}";
  if (failIf(env, !value.IsObject() && !value.IsUndefined(), usage)) return std::nullopt;
  auto object = value.IsObject() ? value.As<Napi::Object>() : Napi::Object::New(env);
  const auto keyCode = keyCodeOf(object);
  const auto modifiers = modifierFlagsOf(object.Get("modifiers"));
  if (failIf(env, !keyCode || !modifiers, usage)) return std::nullopt;
  platform::Event event;
  event.type = type;
  event.modifierFlags = *modifiers;
  if (*keyCode != 0xffff) {
    event.keyCode = *keyCode;
    if (auto key = platform::keyCodeForVirtualKey(*keyCode)) {
      if (key->function) event.modifierFlags |= Flags::Function;
      if (key->numericPad) event.modifierFlags |= Flags::NumericPad;
    }
    if (type == platform::EventType::KeyDown || type == platform::EventType::KeyUp) {
      if (auto typed = platform::KeyboardLayout::charactersFor(*keyCode, event.modifierFlags)) {
        event.characters = typed->characters;
        event.charactersIgnoringModifiers = typed->charactersIgnoringModifiers;
      }
    }
  }
  if (object.Get("characters").IsString()) {
    event.characters = object.Get("characters").As<Napi::String>().Utf8Value();
    event.charactersIgnoringModifiers = event.characters;
  }
  if (object.Get("charactersIgnoringModifiers").IsString()) {
    event.charactersIgnoringModifiers =
        object.Get("charactersIgnoringModifiers").As<Napi::String>().Utf8Value();
  }
  std::shared_ptr<platform::Window> window;
  if (object.Get("window").IsBuffer()) {
    auto buffer = object.Get("window").As<Napi::Buffer<uint8_t>>();
    window = platform::WindowRegistry::shared().find(
        std::span<const uint8_t>(buffer.Data(), buffer.Length()));
  } else {
    window = platform::WindowOrdering::keyWindow();
  }
  event.window = window;
  event.locationX = event.locationY = kDefaultLocation;
  auto location = object.Get("location");
  if (location.IsObject()) {
    auto x = location.As<Napi::Object>().Get("x");
    auto y = location.As<Napi::Object>().Get("y");
    if (failIf(env, !x.IsNumber() || !y.IsNumber(), usage)) return std::nullopt;
    event.locationX = x.As<Napi::Number>().DoubleValue();
    event.locationY = y.As<Napi::Number>().DoubleValue();
  }
  return event;
}

}  // namespace velquarin::binding
