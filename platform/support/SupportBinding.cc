#include "JsonValue.h"
#include "binding/BindingRegistry.h"
#include "support/Replies.h"
#include "support/RootWindowCapture.h"
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

// {rect: [x, y, width, height], color?: [r, g, b, a] (0 to 1), text?}
std::optional<platform::support::Annotation> annotationOf(Napi::Value value) {
  if (!value.IsObject()) return std::nullopt;
  auto object = value.As<Napi::Object>();
  const auto rect = object.Get("rect");
  if (!rect.IsArray() || rect.As<Napi::Array>().Length() != 4) return std::nullopt;
  const auto at = [](Napi::Array array, uint32_t i, double fallback) {
    const auto item = array.Get(i);
    return item.IsNumber() ? item.As<Napi::Number>().DoubleValue() : fallback;
  };
  platform::support::Annotation annotation;
  const auto r = rect.As<Napi::Array>();
  annotation.rect = {at(r, 0, 0), at(r, 1, 0), at(r, 2, 0), at(r, 3, 0)};
  if (object.Get("color").IsArray()) {
    const auto c = object.Get("color").As<Napi::Array>();
    annotation.color = {at(c, 0, 0), at(c, 1, 0), at(c, 2, 0), at(c, 3, 1)};
  }
  if (object.Get("text").IsString()) annotation.text = object.Get("text").As<Napi::String>();
  return annotation;
}

// imageEditors(): the open editor sessions, [{id, title, width, height, annotations}].
Napi::Value imageEditors(const Napi::CallbackInfo& info) {
  auto list = Napi::Array::New(info.Env());
  for (const auto& session : Replies::sharedReplies().editorSessions()) {
    auto entry = Napi::Object::New(info.Env());
    entry.Set("id", static_cast<double>(session.id));
    entry.Set("title", session.attachment->title());
    entry.Set("width", session.attachment->image()->pixelsWide());
    entry.Set("height", session.attachment->image()->pixelsHigh());
    entry.Set("annotations", static_cast<double>(session.attachment->annotations().size()));
    list.Set(list.Length(), entry);
  }
  return list;
}

// editImage(id, {title?, annotations?}): the user renames the screenshot and draws on it;
// false for an unknown session or a malformed annotation.
Napi::Value editImage(const Napi::CallbackInfo& info) {
  if (failIf(info.Env(), info.Length() < 2 || !info[0].IsNumber() || !info[1].IsObject(),
             "editImage(id, {title?: string, annotations?: Annotation[]})")) {
    return {};
  }
  auto* attachment = Replies::sharedReplies().editedAttachment(
      static_cast<std::uint64_t>(info[0].As<Napi::Number>().Int64Value()));
  if (!attachment) return Napi::Boolean::New(info.Env(), false);
  const auto edits = info[1].As<Napi::Object>();
  std::vector<platform::support::Annotation> annotations = attachment->annotations();
  if (edits.Get("annotations").IsArray()) {
    const auto list = edits.Get("annotations").As<Napi::Array>();
    for (uint32_t i = 0; i < list.Length(); ++i) {
      auto annotation = annotationOf(list.Get(i));
      if (!annotation) return Napi::Boolean::New(info.Env(), false);
      annotations.push_back(std::move(*annotation));
    }
  }
  if (edits.Get("title").IsString()) attachment->setTitle(edits.Get("title").As<Napi::String>());
  attachment->setAnnotations(std::move(annotations));
  return Napi::Boolean::New(info.Env(), true);
}

// finishImageEditor(id, save): the user saves or cancels; false for an unknown session.
Napi::Value finishImageEditor(const Napi::CallbackInfo& info) {
  if (failIf(info.Env(), info.Length() < 2 || !info[0].IsNumber() || !info[1].IsBoolean(),
             "finishImageEditor(id, save: boolean)")) {
    return {};
  }
  return Napi::Boolean::New(info.Env(),
                            Replies::sharedReplies().finishEditor(
                                static_cast<std::uint64_t>(info[0].As<Napi::Number>().Int64Value()),
                                info[1].As<Napi::Boolean>().Value()));
}

// finishScreenCapture(result): the user ends the capture with {screenshot: display} (the X
// root window of that display), {image: path} (a screenshot from that file), {recording:
// path} or null (nothing); false when no capture is open or no image could be had.
Napi::Value finishScreenCapture(const Napi::CallbackInfo& info) {
  auto& replies = Replies::sharedReplies();
  if (!replies.isCapturing()) return Napi::Boolean::New(info.Env(), false);
  std::shared_ptr<platform::support::Attachment> result;
  if (info.Length() > 0 && info[0].IsObject()) {
    const auto object = info[0].As<Napi::Object>();
    if (object.Get("screenshot").IsString()) {
      auto image = platform::support::captureRootWindow(object.Get("screenshot").As<Napi::String>(),
                                                        nullptr);
      if (!image) return Napi::Boolean::New(info.Env(), false);
      result = platform::support::ScreenShotAttachment::attachmentWithImage(std::move(image));
    } else if (object.Get("image").IsString()) {
      auto image = platform::Image::fromFile(object.Get("image").As<Napi::String>());
      if (!image) return Napi::Boolean::New(info.Env(), false);
      result = platform::support::ScreenShotAttachment::attachmentWithImage(std::move(image));
    } else if (object.Get("recording").IsString()) {
      result = platform::support::Attachment::attachmentWithPath(
          object.Get("recording").As<Napi::String>());
    }
  }
  return Napi::Boolean::New(info.Env(), replies.finishCapture(std::move(result)));
}

void install(Napi::Env, Napi::Object exports) {
  exportFunction(exports, "imageEditors", imageEditors);
  exportFunction(exports, "editImage", editImage);
  exportFunction(exports, "finishImageEditor", finishImageEditor);
  exportFunction(exports, "finishScreenCapture", finishScreenCapture);
  exportFunction(exports, "supportWindow", supportWindow);
  exportFunction(exports, "chooseSupportMenuItem", chooseSupportMenuItem);
  exportFunction(exports, "closeSupportWindow", closeSupportWindow);
}

const Registrar registrar(install);

}  // namespace
}  // namespace velquarin::binding
