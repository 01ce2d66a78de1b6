#include <cmath>

#include "application/Application.h"
#include "binding/BindingRegistry.h"
#include "binding/EventDescription.h"
#include "pasteboard/Pasteboard.h"
#include "windows/HostWebContentsView.h"
#include "windows/WindowDelegate.h"
#include "windows/WindowOrdering.h"
#include "windows/WindowRegistry.h"
#include "windows/WindowStyle.h"

namespace velquarin::binding {
namespace {

using platform::Application;
using platform::Rect;
using platform::WindowOrdering;
using platform::WindowRegistry;

constexpr unsigned kDefaultStyle =
    platform::windowstyle::kTitled | platform::windowstyle::kClosable |
    platform::windowstyle::kMiniaturizable | platform::windowstyle::kResizable;

Napi::Value handleBuffer(Napi::Env env, std::uint64_t handle) {
  const auto bytes = WindowRegistry::bytesOf(handle);
  return Napi::Buffer<uint8_t>::Copy(env, bytes.data(), bytes.size());
}

Napi::Value handleOrNull(Napi::Env env, const std::shared_ptr<platform::Window>& window) {
  return window ? handleBuffer(env, window->handle()) : env.Null();
}

std::shared_ptr<platform::Window> windowOf(Napi::Value value) {
  if (!value.IsBuffer()) return nullptr;
  auto buffer = value.As<Napi::Buffer<uint8_t>>();
  return WindowRegistry::shared().find(std::span<const uint8_t>(buffer.Data(), buffer.Length()));
}

std::string stringField(Napi::Object object, const char* key) {
  auto value = object.Get(key);
  return value.IsString() ? value.As<Napi::String>().Utf8Value() : std::string();
}

// A rectangle of finite numbers; nullopt when any is missing or not finite.
std::optional<Rect> rectOf(Napi::Value value) {
  if (!value.IsObject()) return std::nullopt;
  auto object = value.As<Napi::Object>();
  double parts[4];
  const char* keys[4] = {"x", "y", "width", "height"};
  for (int i = 0; i < 4; ++i) {
    auto part = object.Get(keys[i]);
    if (!part.IsNumber()) return std::nullopt;
    parts[i] = part.As<Napi::Number>().DoubleValue();
    if (!std::isfinite(parts[i])) return std::nullopt;
  }
  return Rect{parts[0], parts[1], parts[2], parts[3]};
}

Napi::Object rectValue(Napi::Env env, Rect rect) {
  auto object = Napi::Object::New(env);
  object.Set("x", rect.x);
  object.Set("y", rect.y);
  object.Set("width", rect.width);
  object.Set("height", rect.height);
  return object;
}

// createWindow(className, title?) or createWindow(className, {title, superclass,
// delegateClass, frame, panel, visible, styleMask}): a new window; returns its handle. With
// options the window is shown and made key unless visible is false, as a host shows it.
Napi::Value createWindow(const Napi::CallbackInfo& info) {
  auto env = info.Env();
  const char* usage =
      "createWindow(className: string, title?: string | {title?, superclass?, delegateClass?, "
      "frame?: {x, y, width, height}, panel?, visible?, styleMask?})";
  if (failIf(env, info.Length() < 1 || !info[0].IsString(), usage)) return {};
  const auto className = info[0].As<Napi::String>().Utf8Value();
  if (info.Length() < 2 || !info[1].IsObject()) {
    auto window = WindowRegistry::shared().create(className);
    if (info.Length() > 1 && info[1].IsString()) {
      window->title = info[1].As<Napi::String>().Utf8Value();
    }
    return handleBuffer(env, window->handle());
  }
  auto options = info[1].As<Napi::Object>();
  const auto frame = options.Has("frame") ? rectOf(options.Get("frame"))
                                          : std::optional<Rect>(Rect{100, 100, 800, 622});
  if (failIf(env, !frame || frame->width < 0 || frame->height < 0, usage)) return {};
  auto window = WindowRegistry::shared().create(className, stringField(options, "superclass"));
  window->title = stringField(options, "title");
  window->delegateClassName = options.Has("delegateClass")
                                  ? stringField(options, "delegateClass")
                                  : std::string(platform::kHostWindowDelegateClass);
  window->frame = *frame;
  window->panel = options.Get("panel").ToBoolean();
  window->styleMask = options.Get("styleMask").IsNumber()
                          ? options.Get("styleMask").As<Napi::Number>().Uint32Value()
                          : kDefaultStyle;
  if (options.Get("visible").IsBoolean() && !options.Get("visible").ToBoolean()) {
    window->visible = false;
  } else {
    WindowOrdering::makeKeyAndOrderFront(window);
  }
  return handleBuffer(env, window->handle());
}

// closeWindow(handle): closes the window; false when the handle designates none.
Napi::Value closeWindow(const Napi::CallbackInfo& info) {
  auto window = info.Length() > 0 ? windowOf(info[0]) : nullptr;
  if (window) WindowRegistry::shared().close(window->handle());
  return Napi::Boolean::New(info.Env(), window != nullptr);
}

// miniaturizeWindow(handle): takes the window off screen; false for no window.
Napi::Value miniaturizeWindow(const Napi::CallbackInfo& info) {
  auto window = windowOf(info[0]);
  if (window) WindowOrdering::orderOut(window);
  return Napi::Boolean::New(info.Env(), window != nullptr);
}

// showWindow(handle): brings the window front and makes it key; false for no window.
Napi::Value showWindow(const Napi::CallbackInfo& info) {
  auto window = windowOf(info[0]);
  if (window) WindowOrdering::makeKeyAndOrderFront(window);
  return Napi::Boolean::New(info.Env(), window != nullptr);
}

// windows(): [{handle, className, title}] in creation order.
Napi::Value windows(const Napi::CallbackInfo& info) {
  auto env = info.Env();
  auto list = WindowRegistry::shared().windows();
  auto result = Napi::Array::New(env, list.size());
  for (uint32_t i = 0; i < list.size(); ++i) {
    auto entry = Napi::Object::New(env);
    entry.Set("handle", handleBuffer(env, list[i]->handle()));
    entry.Set("className", list[i]->className());
    entry.Set("title", list[i]->title);
    result.Set(i, entry);
  }
  return result;
}

// windowState(handle): what the window shows and holds now; null for no window.
Napi::Value windowState(const Napi::CallbackInfo& info) {
  auto env = info.Env();
  auto window = windowOf(info[0]);
  if (!window) return env.Null();
  auto state = Napi::Object::New(env);
  state.Set("className", window->className());
  state.Set("title", window->title);
  state.Set("visible", window->visible);
  state.Set("panel", window->isPanel());
  state.Set("frame", rectValue(env, window->frame));
  state.Set("contentRect", rectValue(env, window->contentRect()));
  state.Set("lastChangeAnimated", window->lastFrameChangeAnimated());
  state.Set("contentAlpha", window->contentView()->alphaValue());
  const auto responder = window->firstResponder();
  state.Set("firstResponder",
            responder ? Napi::Value::From(env, static_cast<double>(responder->identifier()))
                      : env.Null());
  auto sheets = Napi::Array::New(env);
  for (const auto& sheet : window->attachedSheets()) {
    auto entry = Napi::Object::New(env);
    entry.Set("id", static_cast<double>(sheet.identifier));
    entry.Set("className", sheet.className);
    sheets.Set(sheets.Length(), entry);
  }
  state.Set("sheets", sheets);
  state.Set("key", WindowOrdering::keyWindow() == window);
  state.Set("main", WindowOrdering::mainWindow() == window);
  return state;
}

// orderedWindows(), keyWindow(), mainWindow(): handles, front first; null for none.
Napi::Value orderedWindows(const Napi::CallbackInfo& info) {
  auto env = info.Env();
  const auto list = WindowOrdering::orderedWindows();
  auto result = Napi::Array::New(env, list.size());
  for (uint32_t i = 0; i < list.size(); ++i) result.Set(i, handleBuffer(env, list[i]->handle()));
  return result;
}

Napi::Value keyWindow(const Napi::CallbackInfo& info) {
  return handleOrNull(info.Env(), WindowOrdering::keyWindow());
}

Napi::Value mainWindow(const Napi::CallbackInfo& info) {
  return handleOrNull(info.Env(), WindowOrdering::mainWindow());
}

// beginSheet(handle, className?): attaches a generic sheet; its id, or null for no window.
Napi::Value beginSheet(const Napi::CallbackInfo& info) {
  auto env = info.Env();
  auto window = windowOf(info[0]);
  if (!window) return env.Null();
  const auto className = info[1].IsString() ? info[1].As<Napi::String>().Utf8Value() : "NSPanel";
  return Napi::Number::New(env, static_cast<double>(window->attachSheet(className)));
}

// endSheet(handle, id): false when the window has no such sheet.
Napi::Value endSheet(const Napi::CallbackInfo& info) {
  auto window = windowOf(info[0]);
  const bool ended = window && info[1].IsNumber() &&
                     window->detachSheet(static_cast<std::uint64_t>(
                         std::max(0.0, info[1].As<Napi::Number>().DoubleValue())));
  return Napi::Boolean::New(info.Env(), ended);
}

// dragTitleBarIcon(handle, modifierFlags?): the user drags the document icon of the title
// bar; {allowed, types, strings: {type: text}} of the drag pasteboard, or null for no window.
Napi::Value dragTitleBarIcon(const Napi::CallbackInfo& info) {
  auto env = info.Env();
  const auto modifiers = modifierFlagsOf(info[1]);
  if (failIf(env, !modifiers,
             "dragTitleBarIcon(window: Buffer, modifiers?: ModifierName[] | number)")) {
    return {};
  }
  auto window = windowOf(info[0]);
  if (!window) return env.Null();
  platform::Event event;
  event.type = platform::EventType::LeftMouseDragged;
  event.modifierFlags = *modifiers;
  event.locationX = 20;
  event.locationY = window->frame.height - 10;
  event.window = window;
  Application::shared().setCurrentEvent(event);
  auto pasteboard = platform::Pasteboard::drag();
  pasteboard->clearContents();
  auto result = Napi::Object::New(env);
  result.Set("allowed", platform::dragDocumentIcon(*window, event, *pasteboard));
  auto types = Napi::Array::New(env);
  auto strings = Napi::Object::New(env);
  for (const auto& type : pasteboard->types()) {
    types.Set(types.Length(), type);
    if (auto text = pasteboard->stringForType(type)) strings.Set(type, *text);
  }
  result.Set("types", types);
  result.Set("strings", strings);
  return result;
}

Napi::Value allowsAutomaticWindowTabbing(const Napi::CallbackInfo& info) {
  return Napi::Boolean::New(info.Env(), platform::Window::allowsAutomaticWindowTabbing());
}

void install(Napi::Env, Napi::Object exports) {
  exportFunction(exports, "createWindow", createWindow);
  exportFunction(exports, "closeWindow", closeWindow);
  exportFunction(exports, "miniaturizeWindow", miniaturizeWindow);
  exportFunction(exports, "showWindow", showWindow);
  exportFunction(exports, "windows", windows);
  exportFunction(exports, "windowState", windowState);
  exportFunction(exports, "orderedWindows", orderedWindows);
  exportFunction(exports, "keyWindow", keyWindow);
  exportFunction(exports, "mainWindow", mainWindow);
  exportFunction(exports, "beginSheet", beginSheet);
  exportFunction(exports, "endSheet", endSheet);
  exportFunction(exports, "dragTitleBarIcon", dragTitleBarIcon);
  exportFunction(exports, "allowsAutomaticWindowTabbing", allowsAutomaticWindowTabbing);
}

const Registrar registrar(install);

}  // namespace
}  // namespace velquarin::binding
