#include "binding/BindingRegistry.h"
#include "dialogs/SavePanel.h"
#include "windows/WindowRegistry.h"

namespace velquarin::binding {
namespace {

using platform::SavePanel;
using platform::WindowRegistry;

std::shared_ptr<platform::Window> windowOf(Napi::Value value) {
  if (!value.IsBuffer()) return nullptr;
  auto buffer = value.As<Napi::Buffer<uint8_t>>();
  return WindowRegistry::shared().find(std::span<const uint8_t>(buffer.Data(), buffer.Length()));
}

// savePanel(handle): the save sheet on that window as {directory, filename}, or null.
Napi::Value savePanel(const Napi::CallbackInfo& info) {
  auto env = info.Env();
  auto window = info.Length() > 0 ? windowOf(info[0]) : nullptr;
  auto panel = window ? SavePanel::sheetOf(window->handle()) : nullptr;
  if (!panel) return env.Null();
  auto result = Napi::Object::New(env);
  result.Set("directory", panel->effectiveDirectory());
  result.Set("filename", panel->nameFieldStringValue);
  return result;
}

// endSavePanel(handle, path?): saves to `path` (a bare name lands in the panel's folder), or
// cancels when there is none; false when the window shows no save sheet.
Napi::Value endSavePanel(const Napi::CallbackInfo& info) {
  auto env = info.Env();
  if (failIf(
          env,
          info.Length() > 1 && !info[1].IsString() && !info[1].IsNull() && !info[1].IsUndefined(),
          "endSavePanel(handle, path?: string)")) {
    return {};
  }
  auto window = info.Length() > 0 ? windowOf(info[0]) : nullptr;
  if (!window) return Napi::Boolean::New(env, false);
  std::optional<std::string> path;
  if (info.Length() > 1 && info[1].IsString()) {
    path = info[1].As<Napi::String>().Utf8Value();
    if (failIf(env, path->empty(), "endSavePanel: the path must not be empty")) return {};
  }
  return Napi::Boolean::New(env, SavePanel::endSheet(window->handle(), std::move(path)));
}

void install(Napi::Env, Napi::Object exports) {
  exportFunction(exports, "savePanel", savePanel);
  exportFunction(exports, "endSavePanel", endSavePanel);
}

const Registrar registrar(install);

}  // namespace
}  // namespace velquarin::binding
