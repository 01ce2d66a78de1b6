#include "binding/MenuDescription.h"

#include <cmath>

#include "images/ImageTypes.h"

namespace velquarin::binding {

using platform::BitmapFileType;
using platform::ControlState;
using platform::Image;
using platform::Menu;
using platform::MenuItem;

namespace {
constexpr double kMaxSafeInteger = 9007199254740991.0;
constexpr int kMaxDepth = 64;
}  // namespace

Napi::Value pngOf(Napi::Env env, const std::shared_ptr<Image>& image) {
  if (!image) return env.Null();
  const auto png = image->representation(BitmapFileType::PNG);
  if (!png) return env.Null();
  return Napi::Buffer<std::uint8_t>::Copy(env, png->data(), png->size());
}

namespace {

// A represented object as the host sees it; integers beyond 2^53 become bigints so that no
// digit is lost.
Napi::Value toHost(Napi::Env env, const nlohmann::json& value, int depth = 0) {
  if (depth > kMaxDepth) return env.Null();
  switch (value.type()) {
    case nlohmann::json::value_t::object: {
      auto object = Napi::Object::New(env);
      for (const auto& [key, item] : value.items()) object.Set(key, toHost(env, item, depth + 1));
      return object;
    }
    case nlohmann::json::value_t::array: {
      auto array = Napi::Array::New(env, value.size());
      for (std::size_t i = 0; i < value.size(); ++i) {
        array.Set(static_cast<uint32_t>(i), toHost(env, value[i], depth + 1));
      }
      return array;
    }
    case nlohmann::json::value_t::string:
      return Napi::String::New(env, value.get_ref<const std::string&>());
    case nlohmann::json::value_t::boolean:
      return Napi::Boolean::New(env, value.get<bool>());
    case nlohmann::json::value_t::number_integer: {
      const auto number = value.get<std::int64_t>();
      if (std::fabs(static_cast<double>(number)) > kMaxSafeInteger) {
        return Napi::BigInt::New(env, number);
      }
      return Napi::Number::New(env, static_cast<double>(number));
    }
    case nlohmann::json::value_t::number_unsigned: {
      const auto number = value.get<std::uint64_t>();
      if (static_cast<double>(number) > kMaxSafeInteger) return Napi::BigInt::New(env, number);
      return Napi::Number::New(env, static_cast<double>(number));
    }
    case nlohmann::json::value_t::number_float:
      return Napi::Number::New(env, value.get<double>());
    default:
      return env.Null();
  }
}

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
  result.Set("representedObject", toHost(env, item.representedObject()));
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
