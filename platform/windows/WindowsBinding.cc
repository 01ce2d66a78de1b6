#include "binding/BindingRegistry.h"
#include "windows/WindowRegistry.h"

namespace velquarin::binding {
namespace {

using platform::WindowRegistry;

Napi::Value handleBuffer(Napi::Env env, std::uint64_t handle) {
  const auto bytes = WindowRegistry::bytesOf(handle);
  return Napi::Buffer<uint8_t>::Copy(env, bytes.data(), bytes.size());
}

std::shared_ptr<platform::Window> windowOf(Napi::Value value) {
  if (!value.IsBuffer()) return nullptr;
  auto buffer = value.As<Napi::Buffer<uint8_t>>();
  return WindowRegistry::shared().find(std::span<const uint8_t>(buffer.Data(), buffer.Length()));
}

// createWindow(className, title?): a new window; returns its 8-byte handle.
Napi::Value createWindow(const Napi::CallbackInfo& info) {
  if (failIf(info.Env(), info.Length() < 1 || !info[0].IsString(),
             "createWindow(className: string, title?: string)")) {
    return {};
  }
  auto window = WindowRegistry::shared().create(info[0].As<Napi::String>().Utf8Value());
  if (info.Length() > 1 && info[1].IsString()) {
    window->title = info[1].As<Napi::String>().Utf8Value();
  }
  return handleBuffer(info.Env(), window->handle());
}

// closeWindow(handle): closes the window; false when the handle designates none.
Napi::Value closeWindow(const Napi::CallbackInfo& info) {
  auto window = info.Length() > 0 ? windowOf(info[0]) : nullptr;
  if (window) WindowRegistry::shared().close(window->handle());
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

void install(Napi::Env, Napi::Object exports) {
  exportFunction(exports, "createWindow", createWindow);
  exportFunction(exports, "closeWindow", closeWindow);
  exportFunction(exports, "windows", windows);
}

const Registrar registrar(install);

}  // namespace
}  // namespace velquarin::binding
