#include "binding/BindingRegistry.h"
#include "sharing/SharingServicePicker.h"
#include "windows/WindowRegistry.h"

namespace velquarin::binding {
namespace {

using platform::SharingServicePicker;

// sharingPicker(): null, or {window, items, services: [{id, title}], anchor: {x, y}, edge}.
Napi::Value sharingPicker(const Napi::CallbackInfo& info) {
  auto env = info.Env();
  auto picker = SharingServicePicker::current();
  if (!picker) return env.Null();
  auto result = Napi::Object::New(env);
  const auto bytes = platform::WindowRegistry::bytesOf(picker->windowHandle());
  result.Set("window", Napi::Buffer<std::uint8_t>::Copy(env, bytes.data(), bytes.size()));
  auto items = Napi::Array::New(env);
  for (const auto& item : picker->items()) items.Set(items.Length(), item);
  result.Set("items", items);
  auto services = Napi::Array::New(env);
  for (const auto& service : picker->services()) {
    auto entry = Napi::Object::New(env);
    entry.Set("id", service.id);
    entry.Set("title", service.title);
    services.Set(services.Length(), entry);
  }
  result.Set("services", services);
  auto anchor = Napi::Object::New(env);
  anchor.Set("x", picker->anchor().x);
  anchor.Set("y", picker->anchor().y);
  anchor.Set("width", picker->anchor().width);
  anchor.Set("height", picker->anchor().height);
  result.Set("anchor", anchor);
  result.Set("edge", static_cast<double>(picker->edge()));
  return result;
}

// chooseSharingService(id | null): performs a service of the picker, or dismisses it.
// Returns {ok, error?}.
Napi::Value chooseSharingService(const Napi::CallbackInfo& info) {
  auto env = info.Env();
  const bool none = info.Length() < 1 || info[0].IsNull() || info[0].IsUndefined();
  if (failIf(env, !none && !info[0].IsString(), "chooseSharingService(id: string | null)")) {
    return {};
  }
  std::optional<std::string> id;
  if (!none) id = info[0].As<Napi::String>().Utf8Value();
  std::string error;
  const bool ok = SharingServicePicker::choose(id, &error);
  auto result = Napi::Object::New(env);
  result.Set("ok", ok);
  if (!ok) result.Set("error", error.empty() ? "no sharing picker is shown" : error);
  return result;
}

void install(Napi::Env, Napi::Object exports) {
  exportFunction(exports, "sharingPicker", sharingPicker);
  exportFunction(exports, "chooseSharingService", chooseSharingService);
}

const Registrar registrar(install);

}  // namespace
}  // namespace velquarin::binding
