#include <gio/gdesktopappinfo.h>

#include <cmath>
#include <memory>
#include <vector>

#include "HostCall.h"
#include "JsonValue.h"
#include "application/Application.h"
#include "binding/BindingRegistry.h"
#include "binding/MenuDescription.h"

namespace velquarin::binding {
namespace {

using platform::Application;
using platform::Menu;
using platform::MenuItem;

constexpr int kMaxDepth = 64;

// The target of the items a host template gives an action: it tells the host which one fired.
class HostActionTarget : public platform::MenuTarget {
 public:
  HostActionTarget(Napi::Env env, Napi::Function function)
      : env_(env),
        function_(Napi::Persistent(function)),
        context_(std::make_unique<Napi::AsyncContext>(env, "VelquarinMenuAction")) {}

  void performAction(const std::string& action, MenuItem& sender) override {
    Napi::HandleScope scope(env_);
    node::callHost(env_, function_.Value(), *context_, [&](Napi::Env env) {
      return std::vector<napi_value>{Napi::String::New(env, action),
                                     Napi::String::New(env, sender.title()),
                                     node::jsonToJs(env, sender.representedObject())};
    });
  }

 private:
  Napi::Env env_;
  Napi::FunctionReference function_;
  std::unique_ptr<Napi::AsyncContext> context_;
};

struct State {
  std::shared_ptr<HostActionTarget> target;  // of the current main menu's template
  std::vector<std::shared_ptr<Menu>> openMenus;
  std::shared_ptr<Menu> dockMenu;  // the last one the dock asked for
};

State& state() {
  static State* shared = new State();
  return *shared;
}

std::string stringField(Napi::Object object, const char* key) {
  auto value = object.Get(key);
  return value.IsString() ? value.As<Napi::String>().Utf8Value() : std::string();
}

bool flagField(Napi::Object object, const char* key) {
  auto value = object.Get(key);
  return value.IsBoolean() && value.As<Napi::Boolean>().Value();
}

// A menu from a template: an array of {title, key, modifiers, hidden, enabled, action,
// representedObject, submenu, separator}. Null after a TypeError for a malformed template.
std::shared_ptr<Menu> buildMenu(Napi::Env env, Napi::Value value, std::string title, int depth) {
  if (failIf(env, !value.IsArray() || depth > kMaxDepth,
             "a menu template is an array of item objects, at most 64 deep")) {
    return nullptr;
  }
  auto menu = std::make_shared<Menu>(std::move(title));
  auto array = value.As<Napi::Array>();
  for (uint32_t i = 0; i < array.Length(); ++i) {
    auto entry = array.Get(i);
    if (failIf(env, !entry.IsObject(), "a menu template item is an object")) return nullptr;
    auto object = entry.As<Napi::Object>();
    if (flagField(object, "separator")) {
      menu->addItem(MenuItem::separatorItem());
      continue;
    }
    auto item = std::make_shared<MenuItem>(
        stringField(object, "title"), stringField(object, "action"), stringField(object, "key"));
    auto modifiers = object.Get("modifiers");
    if (modifiers.IsNumber()) {
      item->setKeyEquivalentModifierMask(
          static_cast<std::uint64_t>(modifiers.As<Napi::Number>().Int64Value()));
    }
    item->setHidden(flagField(object, "hidden"));
    if (object.Get("enabled").IsBoolean()) item->setEnabled(flagField(object, "enabled"));
    if (object.Has("representedObject")) {
      item->setRepresentedObject(node::jsToJson(object.Get("representedObject")));
    }
    if (!item->action().empty()) item->setTarget(state().target);
    if (object.Get("submenu").IsArray()) {
      auto submenu = buildMenu(env, object.Get("submenu"), item->title(), depth + 1);
      if (!submenu) return nullptr;
      item->setSubmenu(std::move(submenu));
    }
    menu->addItem(item);
  }
  return menu;
}

void closeOpenMenus() {
  auto open = std::move(state().openMenus);
  state().openMenus.clear();
  for (auto it = open.rbegin(); it != open.rend(); ++it) (*it)->didClose();
}

// A path of whole, non-negative numbers (one number counts as a path of one).
bool readPath(Napi::Value value, std::vector<std::size_t>& path) {
  auto add = [&](Napi::Value element) {
    if (!element.IsNumber()) return false;
    const double number = element.As<Napi::Number>().DoubleValue();
    if (!(number >= 0) || number > 1e9 || std::trunc(number) != number) return false;
    path.push_back(static_cast<std::size_t>(number));
    return true;
  };
  if (!value.IsArray()) return add(value);
  auto array = value.As<Napi::Array>();
  if (array.Length() == 0 || array.Length() > kMaxDepth) return false;
  for (uint32_t i = 0; i < array.Length(); ++i) {
    if (!add(array.Get(i))) return false;
  }
  return true;
}

// setMainMenu(template | null, onAction?(action, title, representedObject)): what the host
// framework does with the host's menu template; replaces the whole main menu.
Napi::Value setMainMenu(const Napi::CallbackInfo& info) {
  auto env = info.Env();
  if (failIf(env,
             info.Length() < 1 || !(info[0].IsArray() || info[0].IsNull()) ||
                 (info.Length() > 1 && !info[1].IsFunction() && !info[1].IsUndefined()),
             "setMainMenu(template: MenuTemplateItem[] | null, onAction?: function)")) {
    return {};
  }
  closeOpenMenus();
  state().target.reset();
  if (info.Length() > 1 && info[1].IsFunction()) {
    state().target = std::make_shared<HostActionTarget>(env, info[1].As<Napi::Function>());
  }
  std::shared_ptr<Menu> menu;
  if (info[0].IsArray()) {
    menu = buildMenu(env, info[0], "Main Menu", 0);
    if (!menu) return {};
  }
  Application::shared().setMainMenu(std::move(menu));
  return env.Undefined();
}

Napi::Value mainMenuItems(const Napi::CallbackInfo& info) {
  const auto menu = Application::shared().mainMenu();
  if (!menu) return info.Env().Null();
  return describeMenu(info.Env(), *menu);
}

// openMainMenu(index | path): the user opens a top-level menu (and, along the path, nested
// submenus); each is filled, validated and told it opens. False when the path leads nowhere.
Napi::Value openMainMenu(const Napi::CallbackInfo& info) {
  auto env = info.Env();
  std::vector<std::size_t> path;
  if (failIf(env, info.Length() < 1 || !readPath(info[0], path),
             "openMainMenu(index: number | number[])")) {
    return {};
  }
  closeOpenMenus();
  auto menu = Application::shared().mainMenu();
  for (const auto index : path) {
    const auto item = menu ? menu->itemAt(index) : nullptr;
    if (!item || !item->submenu()) return Napi::Boolean::New(env, false);
    menu = item->submenu();
    state().openMenus.push_back(menu);
    menu->update();
  }
  return Napi::Boolean::New(env, true);
}

Napi::Value closeMainMenu(const Napi::CallbackInfo& info) {
  closeOpenMenus();
  return info.Env().Undefined();
}

// chooseMainMenuItem(path): the user picks a shown item; open menus close first.
Napi::Value chooseMainMenuItem(const Napi::CallbackInfo& info) {
  auto env = info.Env();
  std::vector<std::size_t> path;
  if (failIf(env, info.Length() < 1 || !readPath(info[0], path),
             "chooseMainMenuItem(path: number | number[])")) {
    return {};
  }
  std::shared_ptr<Menu> menu = Application::shared().mainMenu();
  std::shared_ptr<MenuItem> item;
  for (const auto index : path) {
    item = menu ? menu->itemAt(index) : nullptr;
    if (!item) return Napi::Boolean::New(env, false);
    menu = item->submenu();
  }
  closeOpenMenus();
  auto holder = item->menu() ? item->menu()->weak_from_this().lock() : nullptr;
  if (!holder || item->isHidden()) return Napi::Boolean::New(env, false);
  return Napi::Boolean::New(env, holder->performActionForItem(item));
}

// dockMenu(): the dock asks the application delegate for its menu, as each time the user
// opens it; null when the delegate offers none.
Napi::Value dockMenu(const Napi::CallbackInfo& info) {
  auto menu = Application::shared().dockMenu();
  state().dockMenu = menu;
  if (!menu) return info.Env().Null();
  menu->update();
  return describeMenu(info.Env(), *menu);
}

// chooseDockMenuItem(index): picks an item of the dock menu asked for last.
Napi::Value chooseDockMenuItem(const Napi::CallbackInfo& info) {
  auto env = info.Env();
  std::vector<std::size_t> path;
  if (failIf(env, info.Length() < 1 || !info[0].IsNumber() || !readPath(info[0], path),
             "chooseDockMenuItem(index: number)")) {
    return {};
  }
  auto menu = std::move(state().dockMenu);  // the dock menu closes with the choice
  state().dockMenu.reset();
  if (!menu) return Napi::Boolean::New(env, false);
  return Napi::Boolean::New(env, menu->performActionForItem(menu->itemAt(path[0])));
}

// removeApplicationDelegate(): as a host's child process runs, without a delegate.
Napi::Value removeApplicationDelegate(const Napi::CallbackInfo& info) {
  Application::shared().setDelegate(nullptr);
  return info.Env().Undefined();
}

// launchDesktopAction(desktopFile, action): what a dock does with a desktop entry's action.
// False when the file is not a valid entry or has no such action.
Napi::Value launchDesktopAction(const Napi::CallbackInfo& info) {
  auto env = info.Env();
  if (failIf(env, info.Length() < 2 || !info[0].IsString() || !info[1].IsString(),
             "launchDesktopAction(desktopFile: string, action: string)")) {
    return {};
  }
  const auto file = info[0].As<Napi::String>().Utf8Value();
  const auto action = info[1].As<Napi::String>().Utf8Value();
  std::unique_ptr<GDesktopAppInfo, decltype(&g_object_unref)> entry(
      g_desktop_app_info_new_from_filename(file.c_str()), g_object_unref);
  if (!entry) return Napi::Boolean::New(env, false);
  bool known = false;
  for (const gchar* const* each = g_desktop_app_info_list_actions(entry.get()); each && *each;
       ++each) {
    known = known || action == *each;
  }
  if (known) g_desktop_app_info_launch_action(entry.get(), action.c_str(), nullptr);
  return Napi::Boolean::New(env, known);
}

void install(Napi::Env env, Napi::Object exports) {
  exportFunction(exports, "setMainMenu", setMainMenu);
  exportFunction(exports, "mainMenuItems", mainMenuItems);
  exportFunction(exports, "openMainMenu", openMainMenu);
  exportFunction(exports, "closeMainMenu", closeMainMenu);
  exportFunction(exports, "chooseMainMenuItem", chooseMainMenuItem);
  exportFunction(exports, "dockMenu", dockMenu);
  exportFunction(exports, "chooseDockMenuItem", chooseDockMenuItem);
  exportFunction(exports, "removeApplicationDelegate", removeApplicationDelegate);
  exportFunction(exports, "launchDesktopAction", launchDesktopAction);
  env.AddCleanupHook([] {
    state().target.reset();
    state().openMenus.clear();
    state().dockMenu.reset();
  });
}

const Registrar registrar(install);

}  // namespace
}  // namespace velquarin::binding
