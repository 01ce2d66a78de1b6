#include "binding/MenuDescription.h"

#include "JsonValue.h"
#include "images/ImageTypes.h"

namespace velquarin::binding {

using platform::BitmapFileType;
using platform::ControlState;
using platform::Image;
using platform::Menu;
using platform::MenuItem;

namespace {
constexpr int kMaxDepth = 64;
}  // namespace

Napi::Value pngOf(Napi::Env env, const std::shared_ptr<Image>& image) {
  if (!image) return env.Null();
  const auto png = image->representation(BitmapFileType::PNG);
  if (!png) return env.Null();
  return Napi::Buffer<std::uint8_t>::Copy(env, png->data(), png->size());
}

namespace {

Napi::Object describeItem(Napi::Env env, const MenuItem& item, int depth) {
  auto result = Napi::Object::New(env);
  result.Set("title", item.displayedTitle());
  result.Set("separator", item.isSeparatorItem());
  result.Set("enabled", item.isEnabled());
  result.Set("checked", item.state() == ControlState::On);
  result.Set("state", item.state() == ControlState::On    ? "on"
                      : item.state() == ControlState::Off ? "off"
                                                          : "mixed");
  result.Set("action", item.action());
  result.Set("hasTarget", static_cast<bool>(item.target()));
  result.Set("toolTip", item.toolTip());
  result.Set("fontSize", item.displayedFont().size);
  result.Set("keyEquivalent", item.keyEquivalent());
  result.Set("modifierMask", static_cast<double>(item.keyEquivalentModifierMask()));
  result.Set("hidden", item.isHidden());
  result.Set("tag", static_cast<double>(item.tag()));
  result.Set("image", pngOf(env, item.image()));
  result.Set("representedObject", node::jsonToJs(env, item.representedObject()));
  result.Set("submenu", item.submenu() && depth < kMaxDepth
                            ? describeMenu(env, *item.submenu(), depth + 1)
                            : env.Null());
  return result;
}

}  // namespace

Napi::Value describeMenu(Napi::Env env, const Menu& menu, int depth) {
  const auto items = menu.items();  // a copy: image encoding runs no host code, but be plain
  auto array = Napi::Array::New(env, items.size());
  for (std::size_t i = 0; i < items.size(); ++i) {
    array.Set(static_cast<uint32_t>(i), describeItem(env, *items[i], depth));
  }
  return array;
}

}  // namespace velquarin::binding
