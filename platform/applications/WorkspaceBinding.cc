#include "applications/Workspace.h"
#include "binding/BindingRegistry.h"

namespace velquarin::binding {
namespace {

using platform::Workspace;

Napi::Array texts(Napi::Env env, const std::vector<std::string>& list) {
  auto array = Napi::Array::New(env, list.size());
  for (std::size_t i = 0; i < list.size(); ++i) array.Set(static_cast<uint32_t>(i), list[i]);
  return array;
}

// workspaceHandOffs(): [{application, items, launchOptions, deactivate, opened, error}],
// oldest first; application "" is the default handler.
Napi::Value workspaceHandOffs(const Napi::CallbackInfo& info) {
  auto env = info.Env();
  const auto handOffs = Workspace::handOffs();
  auto list = Napi::Array::New(env, handOffs.size());
  for (std::size_t i = 0; i < handOffs.size(); ++i) {
    const auto& handOff = handOffs[i];
    auto entry = Napi::Object::New(env);
    entry.Set("application", handOff.application);
    entry.Set("items", texts(env, handOff.items));
    entry.Set("launchOptions", static_cast<double>(handOff.launchOptions));
    entry.Set("deactivate", handOff.deactivate);
    entry.Set("opened", handOff.opened);
    entry.Set("error", handOff.error);
    list.Set(static_cast<uint32_t>(i), entry);
  }
  return list;
}

Napi::Value clearWorkspaceHandOffs(const Napi::CallbackInfo& info) {
  Workspace::clearHandOffs();
  return info.Env().Undefined();
}

void install(Napi::Env, Napi::Object exports) {
  exportFunction(exports, "workspaceHandOffs", workspaceHandOffs);
  exportFunction(exports, "clearWorkspaceHandOffs", clearWorkspaceHandOffs);
}

const Registrar registrar(install);

}  // namespace
}  // namespace velquarin::binding
