#include "binding/BindingRegistry.h"
#include "loginitems/LoginItems.h"

namespace velquarin::binding {
namespace {

using platform::LoginItems;

Napi::Value optionalString(Napi::Env env, const std::optional<std::string>& text) {
  return text ? Napi::String::New(env, *text) : env.Null();
}

// loginItemsFolder(): the autostart folder of the session, null when there is none.
Napi::Value loginItemsFolder(const Napi::CallbackInfo& info) {
  return optionalString(info.Env(), LoginItems::sessionFolder());
}

// loginItems(): the session's login items in list order, [{file, name, location}]; null
// when the list cannot be opened.
Napi::Value loginItems(const Napi::CallbackInfo& info) {
  auto env = info.Env();
  auto list = LoginItems::openSessionList();
  if (!list) return env.Null();
  const auto items = list->snapshot();
  auto result = Napi::Array::New(env, items.size());
  for (std::size_t i = 0; i < items.size(); ++i) {
    auto item = Napi::Object::New(env);
    item.Set("file", Napi::String::New(env, items[i].file));
    item.Set("name", optionalString(env, items[i].displayName));
    item.Set("location", optionalString(env, items[i].location));
    result.Set(static_cast<uint32_t>(i), item);
  }
  return result;
}

void install(Napi::Env, Napi::Object exports) {
  exportFunction(exports, "loginItemsFolder", loginItemsFolder);
  exportFunction(exports, "loginItems", loginItems);
}

const Registrar registrar(install);

}  // namespace
}  // namespace velquarin::binding
