#include "JsonValue.h"
#include "binding/BindingRegistry.h"
#include "support/Replies.h"
#include "windows/WindowOrdering.h"
#include "windows/WindowRegistry.h"

namespace velquarin::binding {
namespace {

using platform::support::Replies;

Napi::Value optionalText(Napi::Env env, const std::optional<std::string>& text) {
  return text ? Napi::Value(Napi::String::New(env, *text)) : env.Null();
}

// supportWindow(): the open support window and the message in it; null when none is open.
Napi::Value supportWindow(const Napi::CallbackInfo& info) {
  const auto env = info.Env();
  auto& replies = Replies::sharedReplies();
  const auto window = replies.window();
  if (!window) return env.Null();
  auto state = Napi::Object::New(env);
  const auto bytes = platform::WindowRegistry::bytesOf(window->handle());
  state.Set("handle", Napi::Buffer<uint8_t>::Copy(env, bytes.data(), bytes.size()));
  state.Set("title", window->title);
  state.Set("main", platform::WindowOrdering::mainWindow() == window);
  state.Set("apiHost", replies.apiHost());
  state.Set("formIdentifier", replies.formIdentifier());
  state.Set("productName", replies.productName());
  state.Set("threadId", optionalText(env, replies.threadId()));
  state.Set("body", optionalText(env, replies.body()));
  state.Set("metaData", node::jsonToJs(env, replies.metaData()));
  auto subjects = Napi::Array::New(env);
  for (const auto type : replies.subjectTypes()) {
    subjects.Set(subjects.Length(), platform::support::subjectTypeName(type));
  }
  state.Set("subjects", subjects);
  auto attachments = Napi::Array::New(env);
  for (const auto& path : replies.attachments()) attachments.Set(attachments.Length(), path);
  state.Set("attachments", attachments);
  auto menu = Napi::Array::New(env);
  if (const auto items = replies.menu()) {
    for (std::size_t i = 0; i < items->numberOfItems(); ++i) {
      menu.Set(static_cast<uint32_t>(i), items->itemAt(i)->title());
    }
  }
  state.Set("menu", menu);
  return state;
}

// chooseSupportMenuItem(index): the user picks an entry of the window's attachment menu;
// false when there is no such entry.
Napi::Value chooseSupportMenuItem(const Napi::CallbackInfo& info) {
  if (failIf(info.Env(), info.Length() < 1 || !info[0].IsNumber(),
             "chooseSupportMenuItem(index)")) {
    return {};
  }
  const auto index = info[0].As<Napi::Number>().DoubleValue();
  const auto menu = Replies::sharedReplies().menu();
  if (!Replies::sharedReplies().window() || !menu || !(index >= 0) ||
      index >= static_cast<double>(menu->numberOfItems())) {
    return Napi::Boolean::New(info.Env(), false);
  }
  return Napi::Boolean::New(
      info.Env(), menu->performActionForItem(menu->itemAt(static_cast<std::size_t>(index))));
}

// closeSupportWindow(): the user closes the support window.
Napi::Value closeSupportWindow(const Napi::CallbackInfo& info) {
  Replies::sharedReplies().closeWindow();
  return info.Env().Undefined();
}

void install(Napi::Env, Napi::Object exports) {
  exportFunction(exports, "supportWindow", supportWindow);
  exportFunction(exports, "chooseSupportMenuItem", chooseSupportMenuItem);
  exportFunction(exports, "closeSupportWindow", closeSupportWindow);
}

const Registrar registrar(install);

}  // namespace
}  // namespace velquarin::binding
