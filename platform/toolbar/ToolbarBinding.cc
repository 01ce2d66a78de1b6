#include <algorithm>
#include <array>
#include <cmath>

#include "appearance/Appearance.h"
#include "binding/BindingRegistry.h"
#include "binding/MenuDescription.h"
#include "drawing/Graphics.h"
#include "toolbar/Toolbar.h"
#include "windows/WindowOrdering.h"
#include "windows/WindowRegistry.h"

namespace velquarin::binding {
namespace {

using platform::Toolbar;
using platform::ToolbarDisplayMode;
using platform::ToolbarItem;
using platform::WindowOrdering;
using platform::WindowRegistry;

constexpr std::array<const char*, 4> kDisplayModeNames = {"default", "iconAndLabel", "icon",
                                                          "label"};

std::shared_ptr<platform::Window> windowOf(Napi::Value value) {
  if (!value.IsBuffer()) return nullptr;
  auto buffer = value.As<Napi::Buffer<uint8_t>>();
  return WindowRegistry::shared().find(std::span<const uint8_t>(buffer.Data(), buffer.Length()));
}

std::shared_ptr<Toolbar> toolbarOf(Napi::Value value) {
  auto window = windowOf(value);
  return window ? window->toolbar() : nullptr;
}

Napi::Value sizeValue(Napi::Env env, platform::Size size) {
  auto object = Napi::Object::New(env);
  object.Set("width", size.width);
  object.Set("height", size.height);
  return object;
}

Napi::Array stringArray(Napi::Env env, const std::vector<std::string>& strings) {
  auto array = Napi::Array::New(env, strings.size());
  for (std::size_t i = 0; i < strings.size(); ++i) array.Set(static_cast<uint32_t>(i), strings[i]);
  return array;
}

Napi::Value itemValue(Napi::Env env, const ToolbarItem& item) {
  auto entry = Napi::Object::New(env);
  entry.Set("identifier", item.identifier());
  entry.Set("className", item.className());
  entry.Set("label", item.label);
  entry.Set("paletteLabel", item.paletteLabel);
  entry.Set("toolTip", item.toolTip);
  entry.Set("enabled", item.enabled);
  entry.Set("image", pngOf(env, item.image));
  entry.Set("imageIsTemplate", item.imageIsTemplate);
  entry.Set("minSize", sizeValue(env, item.minSize));
  entry.Set("maxSize", sizeValue(env, item.maxSize));
  if (item.view) {
    auto button = Napi::Object::New(env);
    button.Set("bezelStyle", item.view->bezelStyle);
    button.Set("image", pngOf(env, item.view->image));
    button.Set("imageIsTemplate", item.view->imageIsTemplate);
    button.Set("enabled", item.view->enabled);
    entry.Set("button", button);
  } else {
    entry.Set("button", env.Null());
  }
  if (const auto& menu = item.menuFormRepresentation) {
    auto form = Napi::Object::New(env);
    form.Set("title", menu->title());
    form.Set("action", menu->action());
    form.Set("keyEquivalent", menu->keyEquivalent());
    entry.Set("menuForm", form);
  } else {
    entry.Set("menuForm", env.Null());
  }
  return entry;
}

// toolbar(window): the window's toolbar and its items, or null when it has none.
Napi::Value toolbar(const Napi::CallbackInfo& info) {
  auto env = info.Env();
  auto toolbar = toolbarOf(info[0]);
  if (!toolbar) return env.Null();
  auto result = Napi::Object::New(env);
  result.Set("identifier", toolbar->identifier());
  result.Set("visible", toolbar->isVisible());
  result.Set("displayMode", kDisplayModeNames[static_cast<std::size_t>(toolbar->displayMode())]);
  const auto& selected = toolbar->selectedItemIdentifier();
  result.Set("selected", selected ? Napi::Value(Napi::String::New(env, *selected)) : env.Null());
  result.Set("showsBaselineSeparator", toolbar->showsBaselineSeparator);
  result.Set("allowsExtensionItems", toolbar->allowsExtensionItems);
  result.Set("allowsUserCustomization", toolbar->allowsUserCustomization);
  result.Set("autosavesConfiguration", toolbar->autosavesConfiguration);
  result.Set("paletteRunning", toolbar->customizationPaletteIsRunning());
  if (auto delegate = toolbar->delegate()) {
    result.Set("allowed", stringArray(env, delegate->allowedItemIdentifiers()));
    result.Set("default", stringArray(env, delegate->defaultItemIdentifiers()));
    result.Set("selectable", stringArray(env, delegate->selectableItemIdentifiers()));
  }
  const auto& items = toolbar->items();
  auto array = Napi::Array::New(env, items.size());
  for (std::size_t i = 0; i < items.size(); ++i) {
    array.Set(static_cast<uint32_t>(i), itemValue(env, *items[i]));
  }
  result.Set("items", array);
  return result;
}

// clickToolbarItem(window, identifier | index): the user clicks a shown item; false when
// there is no such item.
Napi::Value clickToolbarItem(const Napi::CallbackInfo& info) {
  auto env = info.Env();
  if (failIf(env, !info[1].IsString() && !info[1].IsNumber(),
             "clickToolbarItem(window: Buffer, item: string | number)")) {
    return {};
  }
  auto toolbar = toolbarOf(info[0]);
  if (!toolbar) return Napi::Boolean::New(env, false);
  const auto items = toolbar->visibleItems();
  std::shared_ptr<ToolbarItem> chosen;
  if (info[1].IsNumber()) {
    const double index = info[1].As<Napi::Number>().DoubleValue();
    if (index >= 0 && index < static_cast<double>(items.size())) {
      chosen = items[static_cast<std::size_t>(index)];
    }
  } else {
    const auto identifier = info[1].As<Napi::String>().Utf8Value();
    for (const auto& item : items) {
      if (item->identifier() == identifier) {
        chosen = item;
        break;
      }
    }
  }
  if (!chosen) return Napi::Boolean::New(env, false);
  toolbar->clickItem(chosen);
  return Napi::Boolean::New(env, true);
}

// setToolbarDisplayMode(window, mode): the user's choice of icons, labels or both.
Napi::Value setToolbarDisplayMode(const Napi::CallbackInfo& info) {
  auto env = info.Env();
  const char* usage =
      "setToolbarDisplayMode(window: Buffer, mode: \"default\" | \"iconAndLabel\" | \"icon\" | "
      "\"label\")";
  if (failIf(env, !info[1].IsString(), usage)) return {};
  const auto name = info[1].As<Napi::String>().Utf8Value();
  std::optional<ToolbarDisplayMode> mode;
  for (std::size_t i = 0; i < kDisplayModeNames.size(); ++i) {
    if (name == kDisplayModeNames[i]) mode = static_cast<ToolbarDisplayMode>(i);
  }
  if (failIf(env, !mode, usage)) return {};
  auto toolbar = toolbarOf(info[0]);
  if (toolbar) toolbar->setDisplayMode(*mode);
  return Napi::Boolean::New(env, toolbar != nullptr);
}

// openToolbarPalette(window): the user's "Customize Toolbar…" command; false when the
// toolbar does not allow customisation or its palette is open already.
Napi::Value openToolbarPalette(const Napi::CallbackInfo& info) {
  auto toolbar = toolbarOf(info[0]);
  const bool opens =
      toolbar && toolbar->allowsUserCustomization && !toolbar->customizationPaletteIsRunning();
  if (opens) toolbar->runCustomizationPalette();
  return Napi::Boolean::New(info.Env(), opens);
}

// endToolbarPalette(window, identifiers?): the user closes the palette, leaving the given
// arrangement when there is one.
Napi::Value endToolbarPalette(const Napi::CallbackInfo& info) {
  auto env = info.Env();
  const char* usage = "endToolbarPalette(window: Buffer, identifiers?: string[])";
  std::optional<std::vector<std::string>> identifiers;
  if (!info[1].IsUndefined()) {
    if (failIf(env, !info[1].IsArray(), usage)) return {};
    auto array = info[1].As<Napi::Array>();
    identifiers.emplace();
    for (uint32_t i = 0; i < array.Length(); ++i) {
      auto value = array.Get(i);
      if (failIf(env, !value.IsString(), usage)) return {};
      identifiers->push_back(value.As<Napi::String>().Utf8Value());
    }
  }
  auto toolbar = toolbarOf(info[0]);
  const bool running = toolbar && toolbar->customizationPaletteIsRunning();
  if (running) toolbar->endCustomizationPalette(identifiers);
  return Napi::Boolean::New(env, running);
}

std::shared_ptr<platform::TitlebarAccessoryViewController> rightAccessoryOf(
    const platform::Window& window) {
  for (const auto& accessory : window.titlebarAccessoryViewControllers()) {
    using Layout = platform::TitlebarAccessoryViewController::LayoutAttribute;
    if (accessory->layoutAttribute == Layout::Right) return accessory;
  }
  return nullptr;
}

// addTabButton(window): {hidden, hovering, width, height} of the accessory at the right end
// of the title bar, or null when there is none.
Napi::Value addTabButton(const Napi::CallbackInfo& info) {
  auto env = info.Env();
  auto window = windowOf(info[0]);
  auto accessory = window ? rightAccessoryOf(*window) : nullptr;
  if (!accessory) return env.Null();
  auto result = Napi::Object::New(env);
  result.Set("hidden", accessory->hidden);
  result.Set("hovering", accessory->isHovering());
  result.Set("width", accessory->size.width);
  result.Set("height", accessory->size.height);
  return result;
}

// clickAddTabButton(window): the user clicks the shown button; the first click on an inactive
// window may only activate it. True when the click reached the button.
Napi::Value clickAddTabButton(const Napi::CallbackInfo& info) {
  auto window = windowOf(info[0]);
  auto accessory = window ? rightAccessoryOf(*window) : nullptr;
  if (!accessory || accessory->hidden) return Napi::Boolean::New(info.Env(), false);
  const bool active = WindowOrdering::keyWindow() == window;
  if (!active) WindowOrdering::makeKeyAndOrderFront(window);
  const bool reaches = active || accessory->acceptsFirstMouse();
  if (reaches) accessory->mouseDown();
  return Napi::Boolean::New(info.Env(), reaches);
}

// hoverAddTabButton(window, inside): the pointer enters or leaves the button.
Napi::Value hoverAddTabButton(const Napi::CallbackInfo& info) {
  auto window = windowOf(info[0]);
  auto accessory = window ? rightAccessoryOf(*window) : nullptr;
  if (!accessory || accessory->hidden) return Napi::Boolean::New(info.Env(), false);
  accessory->setHovering(info[1].IsBoolean() && info[1].As<Napi::Boolean>().Value());
  return Napi::Boolean::New(info.Env(), true);
}

// renderAddTabButton(window, scale = 1): the add-tab button as PNG bytes, drawn as shown
// now (hidden or not); null when the window has none.
Napi::Value renderAddTabButton(const Napi::CallbackInfo& info) {
  auto env = info.Env();
  double scale = 1;
  if (!info[1].IsUndefined()) {
    const char* usage = "renderAddTabButton(window: Buffer, scale?: number from 1 to 4)";
    if (failIf(env, !info[1].IsNumber(), usage)) return {};
    scale = info[1].As<Napi::Number>().DoubleValue();
    if (failIf(env, !(scale >= 1 && scale <= 4), usage)) return {};
  }
  auto window = windowOf(info[0]);
  auto accessory = window ? rightAccessoryOf(*window) : nullptr;
  if (!accessory) return env.Null();
  platform::Graphics graphics(accessory->size, scale);
  accessory->draw(graphics, platform::Rect{0, 0, accessory->size.width, accessory->size.height},
                  WindowOrdering::mainWindow() == window);
  return pngOf(env, graphics.image());
}

constexpr double kToolbarHeight = 38;
constexpr double kItemWidth = 56;
constexpr double kSpaceWidth = 16;
constexpr double kImageSide = 24;

struct WindowPalette {
  platform::Color titleBar, text, tint, selection;
};

WindowPalette paletteFor(platform::AppearanceStyle style) {
  if (style == platform::AppearanceStyle::Dark) {
    return {{0.18, 0.18, 0.18, 1}, {0.9, 0.9, 0.9, 1}, {0.87, 0.87, 0.87, 1}, {0.3, 0.3, 0.3, 1}};
  }
  return {{0.91, 0.91, 0.91, 1}, {0.1, 0.1, 0.1, 1}, {0.3, 0.3, 0.3, 1}, {0.78, 0.78, 0.78, 1}};
}

// One item in its slot: image (template images tinted, disabled ones faded), label below,
// as the display mode says; the selected item on a rounded backdrop.
void drawItem(platform::Graphics& graphics, const ToolbarItem& item, platform::Rect slot,
              const Toolbar& toolbar, const WindowPalette& colors) {
  if (toolbar.selectedItemIdentifier() == item.identifier()) {
    graphics.fillRoundedRect(slot, 4, colors.selection);
  }
  platform::Color tint = colors.tint;
  platform::Color text = colors.text;
  if (!item.enabled) tint.alpha = text.alpha = 0.35;
  const auto mode = toolbar.displayMode();
  const auto& image = item.view ? item.view->image : item.image;
  const bool template_ = item.view ? item.view->imageIsTemplate : item.imageIsTemplate;
  if (image && mode != ToolbarDisplayMode::LabelOnly) {
    const platform::Rect box{slot.x + (slot.width - kImageSide) / 2,
                             slot.y + slot.height - kImageSide - 2, kImageSide, kImageSide};
    graphics.drawImage(*image, box, template_ ? &tint : nullptr);
  }
  if (mode != ToolbarDisplayMode::IconOnly) {
    const platform::Font font{"DejaVu Sans", platform::Font::kSmallSystemFontSize, 0};
    graphics.drawText(item.label, font, platform::Rect{slot.x, slot.y, slot.width, 12}, text,
                      platform::TextAlignment::Center);
  }
}

// renderWindow(window, scale = 1): the title bar with its title and accessories, and the
// toolbar when shown, as PNG bytes; null for no window.
Napi::Value renderWindow(const Napi::CallbackInfo& info) {
  auto env = info.Env();
  double scale = 1;
  if (!info[1].IsUndefined()) {
    const char* usage = "renderWindow(window: Buffer, scale?: number from 1 to 4)";
    if (failIf(env, !info[1].IsNumber(), usage)) return {};
    scale = info[1].As<Napi::Number>().DoubleValue();
    if (failIf(env, !(scale >= 1 && scale <= 4), usage)) return {};
  }
  auto window = windowOf(info[0]);
  if (!window) return env.Null();
  auto toolbar = window->toolbar();
  const double toolbarHeight = toolbar && toolbar->isVisible() ? kToolbarHeight : 0;
  const double frameWidth = std::isfinite(window->frame.width) ? window->frame.width : 0;
  const double width = std::clamp(frameWidth, 100.0, 4096.0);
  const double height = platform::Window::kTitleBarHeight + toolbarHeight;
  const auto colors = paletteFor(platform::Appearance::current());
  platform::Graphics graphics(platform::Size{width, height}, scale);
  graphics.fillRect(platform::Rect{0, 0, width, height}, colors.titleBar);
  graphics.drawText(window->title, platform::Font{},
                    platform::Rect{0, toolbarHeight + 2, width, 18}, colors.text,
                    platform::TextAlignment::Center);
  if (toolbarHeight > 0) {
    double x = 8;
    for (const auto& item : toolbar->items()) {
      const bool narrow =
          item->isStandard() && item->identifier() != platform::toolbaritem::kCustomizeToolbar;
      const double slotWidth = narrow ? kSpaceWidth : kItemWidth;
      if (!narrow)
        drawItem(graphics, *item, platform::Rect{x, 2, slotWidth, kToolbarHeight - 4}, *toolbar,
                 colors);
      x += slotWidth;
    }
  }
  for (const auto& accessory : window->titlebarAccessoryViewControllers()) {
    if (accessory->hidden) continue;
    using Layout = platform::TitlebarAccessoryViewController::LayoutAttribute;
    const double ax =
        accessory->layoutAttribute == Layout::Right ? width - accessory->size.width : 0;
    platform::Graphics part(accessory->size, scale);
    accessory->draw(part, platform::Rect{0, 0, accessory->size.width, accessory->size.height},
                    WindowOrdering::mainWindow() == window);
    graphics.drawImage(*part.image(),
                       platform::Rect{ax, height - accessory->size.height, accessory->size.width,
                                      accessory->size.height});
  }
  return pngOf(env, graphics.image());
}

// updateWindows(): the desktop's periodic check of every window's shown toolbar items.
Napi::Value updateWindows(const Napi::CallbackInfo& info) {
  for (const auto& window : WindowRegistry::shared().windows()) {
    if (auto toolbar = window->toolbar()) toolbar->validateVisibleItems();
  }
  return info.Env().Undefined();
}

void install(Napi::Env, Napi::Object exports) {
  exportFunction(exports, "toolbar", toolbar);
  exportFunction(exports, "clickToolbarItem", clickToolbarItem);
  exportFunction(exports, "setToolbarDisplayMode", setToolbarDisplayMode);
  exportFunction(exports, "openToolbarPalette", openToolbarPalette);
  exportFunction(exports, "endToolbarPalette", endToolbarPalette);
  exportFunction(exports, "addTabButton", addTabButton);
  exportFunction(exports, "clickAddTabButton", clickAddTabButton);
  exportFunction(exports, "hoverAddTabButton", hoverAddTabButton);
  exportFunction(exports, "updateWindows", updateWindows);
  exportFunction(exports, "renderAddTabButton", renderAddTabButton);
  exportFunction(exports, "renderWindow", renderWindow);
}

const Registrar registrar(install);

}  // namespace
}  // namespace velquarin::binding
