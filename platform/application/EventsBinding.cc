#include <cstring>

#include "application/Application.h"
#include "application/DispatchReport.h"
#include "binding/BindingRegistry.h"
#include "binding/EventDescription.h"
#include "windows/HostWebContentsView.h"
#include "windows/WindowRegistry.h"

namespace velquarin::binding {
namespace {

using platform::Application;
using platform::EventType;

Napi::Value report(Napi::Env env) {
  const auto& done = platform::lastDispatch();
  auto result = Napi::Object::New(env);
  result.Set("swallowed", done.swallowed);
  result.Set("webView", done.webView);
  result.Set("menuItem", done.menuItemFired ? Napi::String::New(env, done.menuItem) : env.Null());
  return result;
}

Napi::Value send(const Napi::CallbackInfo& info, EventType type, Napi::Value description) {
  auto event = eventOf(info.Env(), type, description);
  if (!event) return {};
  Application::shared().sendEvent(*event);
  return report(info.Env());
}

// keyDown(event), keyUp(event), flagsChanged(event): the user types; what the dispatch did,
// {swallowed, webView, menuItem}.
Napi::Value keyDown(const Napi::CallbackInfo& info) {
  return send(info, EventType::KeyDown, info[0]);
}

Napi::Value keyUp(const Napi::CallbackInfo& info) {
  return send(info, EventType::KeyUp, info[0]);
}

Napi::Value flagsChanged(const Napi::CallbackInfo& info) {
  return send(info, EventType::FlagsChanged, info[0]);
}

// mouseEvent(type, event): a mouse event by its type number (1 left down, 2 left up, ...).
Napi::Value mouseEvent(const Napi::CallbackInfo& info) {
  const int type = info[0].IsNumber() ? info[0].As<Napi::Number>().Int32Value() : 0;
  const bool mouse = (type >= 1 && type <= 7) || type == 22 || type == 25 || type == 26;
  if (failIf(info.Env(), !mouse, "mouseEvent(type: 1-7 | 22 | 25 | 26, event?)")) return {};
  return send(info, static_cast<EventType>(type), info[1]);
}

// clickWindow(handle, event?): a left mouse down in the window, which makes it key (the
// application becomes active first); false for no window.
Napi::Value clickWindow(const Napi::CallbackInfo& info) {
  auto env = info.Env();
  if (!info[0].IsBuffer()) return Napi::Boolean::New(env, false);
  auto buffer = info[0].As<Napi::Buffer<uint8_t>>();
  auto window = platform::WindowRegistry::shared().find(
      std::span<const uint8_t>(buffer.Data(), buffer.Length()));
  if (!window) return Napi::Boolean::New(env, false);
  auto event = eventOf(env, EventType::LeftMouseDown, info[1]);
  if (!event) return {};
  event->window = window;
  Application::shared().activate();
  Application::shared().sendEvent(*event);
  return Napi::Boolean::New(env, true);
}

// resendUnhandledKey(event?): what a host does with a key its page left: a copy at (0, 0)
// (of the given event, else of the current one) is offered to the main menu's key
// equivalents. {handled, menuItem}.
Napi::Value resendUnhandledKey(const Napi::CallbackInfo& info) {
  auto env = info.Env();
  std::optional<platform::Event> event;
  if (info[0].IsUndefined()) {
    event = Application::shared().currentEvent();
  } else {
    event = eventOf(env, EventType::KeyDown, info[0]);
    if (!event) return {};
  }
  platform::lastDispatch() = {};
  bool handled = false;
  if (event) {
    event->locationX = event->locationY = 0;
    if (auto menu = Application::shared().mainMenu()) handled = menu->performKeyEquivalent(*event);
  }
  auto result = report(env).As<Napi::Object>();
  result.Set("handled", handled);
  return result;
}

Napi::Value hideApplication(const Napi::CallbackInfo& info) {
  Application::shared().hide();
  return info.Env().Undefined();
}

Napi::Value unhideApplication(const Napi::CallbackInfo& info) {
  Application::shared().unhide();
  return info.Env().Undefined();
}

// activateApplication(event?): the application becomes active; the event (a click, by
// default without modifiers) is the current event then.
Napi::Value activateApplication(const Napi::CallbackInfo& info) {
  auto event = eventOf(info.Env(), EventType::LeftMouseDown, info[0]);
  if (!event) return {};
  Application::shared().setCurrentEvent(*event);
  Application::shared().activate();
  return info.Env().Undefined();
}

Napi::Value deactivateApplication(const Napi::CallbackInfo& info) {
  Application::shared().deactivate();
  return info.Env().Undefined();
}

// applicationState(): {hidden, active, hasCurrentEvent}.
Napi::Value applicationState(const Napi::CallbackInfo& info) {
  auto result = Napi::Object::New(info.Env());
  result.Set("hidden", Application::shared().isHidden());
  result.Set("active", Application::shared().isActive());
  result.Set("hasCurrentEvent", Application::shared().currentEvent().has_value());
  return result;
}

// pasteIfPossible(): asks the application object its "zqPasteIfPossible"; null when it has
// no such method.
Napi::Value pasteIfPossible(const Napi::CallbackInfo& info) {
  auto& application = Application::shared();
  auto query = Application::queryOperations().lookup(application.className(), "zqPasteIfPossible");
  if (!query) return info.Env().Null();
  return Napi::Boolean::New(info.Env(), query(application));
}

// webViewKeys(handle): the key events the window's web views took since the last call.
Napi::Value webViewKeys(const Napi::CallbackInfo& info) {
  auto env = info.Env();
  if (!info[0].IsBuffer()) return Napi::Array::New(env);
  auto buffer = info[0].As<Napi::Buffer<uint8_t>>();
  if (buffer.Length() < 8) return Napi::Array::New(env);
  std::uint64_t handle;
  std::memcpy(&handle, buffer.Data(), sizeof handle);
  const auto keys = platform::takeRecordedWebViewKeys(handle);
  auto result = Napi::Array::New(env, keys.size());
  for (uint32_t i = 0; i < keys.size(); ++i) {
    auto entry = Napi::Object::New(env);
    entry.Set("selector", keys[i].selector);
    entry.Set("view", static_cast<double>(keys[i].view));
    entry.Set("keyCode", keys[i].keyCode);
    entry.Set("modifierFlags", static_cast<double>(keys[i].modifierFlags));
    entry.Set("characters", keys[i].characters);
    entry.Set("charactersIgnoringModifiers", keys[i].charactersIgnoringModifiers);
    result.Set(i, entry);
  }
  return result;
}

void install(Napi::Env, Napi::Object exports) {
  exportFunction(exports, "keyDown", keyDown);
  exportFunction(exports, "keyUp", keyUp);
  exportFunction(exports, "flagsChanged", flagsChanged);
  exportFunction(exports, "mouseEvent", mouseEvent);
  exportFunction(exports, "clickWindow", clickWindow);
  exportFunction(exports, "resendUnhandledKey", resendUnhandledKey);
  exportFunction(exports, "hideApplication", hideApplication);
  exportFunction(exports, "unhideApplication", unhideApplication);
  exportFunction(exports, "activateApplication", activateApplication);
  exportFunction(exports, "deactivateApplication", deactivateApplication);
  exportFunction(exports, "applicationState", applicationState);
  exportFunction(exports, "pasteIfPossible", pasteIfPossible);
  exportFunction(exports, "webViewKeys", webViewKeys);
}

const Registrar registrar(install);

}  // namespace
}  // namespace velquarin::binding
