#include <cmath>
#include <vector>

#include "binding/BindingRegistry.h"
#include "binding/MenuDescription.h"
#include "images/ImageTypes.h"
#include "menus/StatusBar.h"

namespace velquarin::binding {
namespace {

using platform::StatusBar;

constexpr int kMaxDepth = 64;

// statusItems(): the items of the menu bar's status area, left to right.
Napi::Value statusItems(const Napi::CallbackInfo& info) {
  auto env = info.Env();
  const auto items = StatusBar::system().items();
  auto array = Napi::Array::New(env, items.size());
  for (std::size_t i = 0; i < items.size(); ++i) {
    const auto& item = items[i];
    auto entry = Napi::Object::New(env);
    entry.Set("title",
              item->title() ? Napi::Value(Napi::String::New(env, *item->title())) : env.Null());
    entry.Set("length", item->length());
    entry.Set("image", pngOf(env, item->image()));
    entry.Set("imageIsTemplate", item->imageIsTemplate());
    entry.Set("highlightMode", item->highlightMode());
    entry.Set("highlighted", item->isHighlighted());
    entry.Set("hasMenu", static_cast<bool>(item->menu()));
    array.Set(static_cast<uint32_t>(i), entry);
  }
  return array;
}

// openStatusItemMenu(index = 0): clicks a status item, which fills and shows its menu.
Napi::Value openStatusItemMenu(const Napi::CallbackInfo& info) {
  auto env = info.Env();
  double index = 0;
  if (info.Length() > 0 && !info[0].IsUndefined()) {
    if (failIf(env, !info[0].IsNumber(), "openStatusItemMenu(index?: number)")) return {};
    index = info[0].As<Napi::Number>().DoubleValue();
  }
  auto& bar = StatusBar::system();
  if (!(index >= 0) || index >= static_cast<double>(bar.items().size()) ||
      std::trunc(index) != index) {
    return Napi::Boolean::New(env, false);
  }
  const auto item = bar.items()[static_cast<std::size_t>(index)];
  return Napi::Boolean::New(env, bar.openMenu(item));
}

// statusMenuItems(): the items of the open status menu; null when none is open.
Napi::Value statusMenuItems(const Napi::CallbackInfo& info) {
  auto menu = StatusBar::system().openMenu();
  if (!menu) return info.Env().Null();
  return describeMenu(info.Env(), *menu, 0);
}

// chooseStatusMenuItem(index | path): picks an entry of the open menu.
Napi::Value chooseStatusMenuItem(const Napi::CallbackInfo& info) {
  auto env = info.Env();
  std::vector<std::size_t> path;
  auto add = [&](Napi::Value value) {
    if (!value.IsNumber()) return false;
    const double number = value.As<Napi::Number>().DoubleValue();
    if (!(number >= 0) || number > 1e9 || std::trunc(number) != number) return false;
    path.push_back(static_cast<std::size_t>(number));
    return true;
  };
  bool valid = info.Length() > 0;
  if (valid && info[0].IsArray()) {
    auto array = info[0].As<Napi::Array>();
    valid = array.Length() > 0 && array.Length() <= kMaxDepth;
    for (uint32_t i = 0; valid && i < array.Length(); ++i) valid = add(array.Get(i));
  } else if (valid) {
    valid = add(info[0]);
  }
  if (failIf(env, !valid, "chooseStatusMenuItem(index: number | number[])")) return {};
  return Napi::Boolean::New(env, StatusBar::system().chooseItem(path));
}

Napi::Value closeStatusItemMenu(const Napi::CallbackInfo& info) {
  StatusBar::system().closeMenu();
  return info.Env().Undefined();
}

// renderStatusBar(scale = 1): the status area with the open menu, as PNG bytes.
Napi::Value renderStatusBar(const Napi::CallbackInfo& info) {
  auto env = info.Env();
  double scale = 1;
  if (info.Length() > 0 && !info[0].IsUndefined()) {
    if (failIf(env, !info[0].IsNumber(), "renderStatusBar(scale?: number)")) return {};
    scale = info[0].As<Napi::Number>().DoubleValue();
    if (failIf(env, !(scale >= 1 && scale <= 4), "renderStatusBar: scale must be from 1 to 4")) {
      return {};
    }
  }
  return pngOf(env, StatusBar::system().render(scale));
}

void install(Napi::Env, Napi::Object exports) {
  exportFunction(exports, "statusItems", statusItems);
  exportFunction(exports, "openStatusItemMenu", openStatusItemMenu);
  exportFunction(exports, "statusMenuItems", statusMenuItems);
  exportFunction(exports, "chooseStatusMenuItem", chooseStatusMenuItem);
  exportFunction(exports, "closeStatusItemMenu", closeStatusItemMenu);
  exportFunction(exports, "renderStatusBar", renderStatusBar);
}

const Registrar registrar(install);

}  // namespace
}  // namespace velquarin::binding
