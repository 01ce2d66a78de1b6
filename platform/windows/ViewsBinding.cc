#include "binding/BindingRegistry.h"
#include "windows/HostWebContentsView.h"
#include "windows/UserDrag.h"
#include "windows/WindowRegistry.h"

namespace velquarin::binding {
namespace {

using platform::Point;
using platform::Rect;
using platform::View;
using platform::WindowRegistry;

std::shared_ptr<platform::Window> windowOf(Napi::Value value) {
  if (!value.IsBuffer()) return nullptr;
  auto buffer = value.As<Napi::Buffer<uint8_t>>();
  return WindowRegistry::shared().find(std::span<const uint8_t>(buffer.Data(), buffer.Length()));
}

std::shared_ptr<View> viewOf(Napi::Value value) {
  if (!value.IsNumber()) return nullptr;
  const double id = value.As<Napi::Number>().DoubleValue();
  if (!(id >= 1 && id <= 9007199254740991.0)) return nullptr;
  return View::withIdentifier(static_cast<std::uint64_t>(id));
}

double numberField(Napi::Object object, const char* key) {
  auto value = object.Get(key);
  return value.IsNumber() ? value.As<Napi::Number>().DoubleValue() : 0;
}

Rect rectOf(Napi::Value value) {
  if (!value.IsObject()) return {};
  auto object = value.As<Napi::Object>();
  return {numberField(object, "x"), numberField(object, "y"), numberField(object, "width"),
          numberField(object, "height")};
}

Point pointOf(Napi::Value value) {
  if (!value.IsObject()) return {};
  auto object = value.As<Napi::Object>();
  return {numberField(object, "x"), numberField(object, "y")};
}

Napi::Value answer(Napi::Env env, std::optional<unsigned long> result) {
  return result ? Napi::Number::New(env, static_cast<double>(*result)) : env.Null();
}

// contentView(window): the id of the window's content view; null for no window.
Napi::Value contentView(const Napi::CallbackInfo& info) {
  auto window = windowOf(info[0]);
  if (!window) return info.Env().Null();
  return Napi::Number::New(info.Env(), static_cast<double>(window->contentView()->identifier()));
}

// addView(parentId, className, frame?): a new view in the parent; its id, or null.
Napi::Value addView(const Napi::CallbackInfo& info) {
  auto env = info.Env();
  if (failIf(env, !info[1].IsString(), "addView(parent: number, className: string, frame?)")) {
    return {};
  }
  auto parent = viewOf(info[0]);
  if (!parent) return env.Null();
  auto view = View::create(info[1].As<Napi::String>().Utf8Value(), rectOf(info[2]));
  parent->addSubview(view);
  return Napi::Number::New(env, static_cast<double>(view->identifier()));
}

// setViewFrame(id, frame): false when there is no such view.
Napi::Value setViewFrame(const Napi::CallbackInfo& info) {
  auto view = viewOf(info[0]);
  if (view) view->setFrame(rectOf(info[1]));
  return Napi::Boolean::New(info.Env(), view != nullptr);
}

// moveView(id, newParentId): false when either is missing or the move would make a cycle.
Napi::Value moveView(const Napi::CallbackInfo& info) {
  auto view = viewOf(info[0]);
  auto parent = viewOf(info[1]);
  return Napi::Boolean::New(info.Env(), view && parent && parent->addSubview(view));
}

// setFirstResponder(window, id | null): false for no window or a view of another tree.
Napi::Value setFirstResponder(const Napi::CallbackInfo& info) {
  auto window = windowOf(info[0]);
  auto view = viewOf(info[1]);
  if (!window || (!view && !info[1].IsNull())) return Napi::Boolean::New(info.Env(), false);
  return Napi::Boolean::New(info.Env(), window->makeFirstResponder(view));
}

// beginDrag(window, {paths?: string[], text?: string}, point): the destination's answer.
Napi::Value beginDrag(const Napi::CallbackInfo& info) {
  auto env = info.Env();
  const char* usage = "beginDrag(window, {paths?: string[], text?: string}, {x, y})";
  if (failIf(env, !info[1].IsObject(), usage)) return {};
  auto contents = info[1].As<Napi::Object>();
  platform::UserDrag::Contents drag;
  if (contents.Get("paths").IsArray()) {
    auto paths = contents.Get("paths").As<Napi::Array>();
    drag.paths.emplace();
    for (uint32_t i = 0; i < paths.Length(); ++i) {
      if (failIf(env, !paths.Get(i).IsString(), usage)) return {};
      drag.paths->push_back(paths.Get(i).As<Napi::String>().Utf8Value());
    }
  }
  if (contents.Get("text").IsString()) {
    drag.text = contents.Get("text").As<Napi::String>().Utf8Value();
  }
  const auto result = platform::UserDrag::begin(windowOf(info[0]), drag, pointOf(info[2]));
  return Napi::Number::New(env, static_cast<double>(result));
}

// moveDrag(point), dropDrag(), cancelDrag(): the answer, null when no drag is in progress.
Napi::Value moveDrag(const Napi::CallbackInfo& info) {
  return answer(info.Env(), platform::UserDrag::move(pointOf(info[0])));
}

Napi::Value dropDrag(const Napi::CallbackInfo& info) {
  return answer(info.Env(), platform::UserDrag::drop());
}

Napi::Value cancelDrag(const Napi::CallbackInfo& info) {
  return answer(info.Env(), platform::UserDrag::cancel());
}

// takeWebViewDrags(): the messages the web views' own handlers got since the last call.
Napi::Value takeWebViewDrags(const Napi::CallbackInfo& info) {
  auto env = info.Env();
  const auto drags = platform::takeRecordedWebViewDrags();
  auto result = Napi::Array::New(env, drags.size());
  for (uint32_t i = 0; i < drags.size(); ++i) {
    const auto& drag = drags[i];
    auto entry = Napi::Object::New(env);
    entry.Set("selector", drag.selector);
    entry.Set("view", static_cast<double>(drag.view));
    if (drag.window) {
      const auto bytes = WindowRegistry::bytesOf(drag.window);
      entry.Set("window", Napi::Buffer<uint8_t>::Copy(env, bytes.data(), bytes.size()));
    } else {
      entry.Set("window", env.Null());
    }
    auto location = Napi::Object::New(env);
    location.Set("x", drag.location.x);
    location.Set("y", drag.location.y);
    entry.Set("location", location);
    auto types = Napi::Array::New(env, drag.types.size());
    for (uint32_t k = 0; k < drag.types.size(); ++k) types.Set(k, drag.types[k]);
    entry.Set("types", types);
    auto paths = Napi::Array::New(env, drag.paths.size());
    for (uint32_t k = 0; k < drag.paths.size(); ++k) paths.Set(k, drag.paths[k]);
    entry.Set("paths", paths);
    entry.Set("answer", static_cast<double>(drag.answer));
    result.Set(i, entry);
  }
  return result;
}

// setWebViewDragAnswer(selector, answer): what the web views answer to that message.
Napi::Value setWebViewDragAnswer(const Napi::CallbackInfo& info) {
  if (failIf(info.Env(), !info[0].IsString() || !info[1].IsNumber(),
             "setWebViewDragAnswer(selector: string, answer: number)")) {
    return {};
  }
  platform::setWebViewDragAnswer(info[0].As<Napi::String>().Utf8Value(),
                                 info[1].As<Napi::Number>().Uint32Value());
  return info.Env().Undefined();
}

// declareWebViewClasses(): brings the web view classes to a process started without them.
Napi::Value declareWebViewClasses(const Napi::CallbackInfo& info) {
  platform::declareHostWebViewClasses();
  return info.Env().Undefined();
}

void install(Napi::Env, Napi::Object exports) {
  exportFunction(exports, "contentView", contentView);
  exportFunction(exports, "addView", addView);
  exportFunction(exports, "setViewFrame", setViewFrame);
  exportFunction(exports, "moveView", moveView);
  exportFunction(exports, "setFirstResponder", setFirstResponder);
  exportFunction(exports, "beginDrag", beginDrag);
  exportFunction(exports, "moveDrag", moveDrag);
  exportFunction(exports, "dropDrag", dropDrag);
  exportFunction(exports, "cancelDrag", cancelDrag);
  exportFunction(exports, "takeWebViewDrags", takeWebViewDrags);
  exportFunction(exports, "setWebViewDragAnswer", setWebViewDragAnswer);
  exportFunction(exports, "declareWebViewClasses", declareWebViewClasses);
}

const Registrar registrar(install);

}  // namespace
}  // namespace velquarin::binding
