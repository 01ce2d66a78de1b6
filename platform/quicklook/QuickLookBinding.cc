#include <cmath>

#include "binding/BindingRegistry.h"
#include "quicklook/PreviewPanel.h"
#include "thumbnails/Thumbnails.h"
#include "windows/WindowRegistry.h"

namespace velquarin::binding {
namespace {

using platform::PreviewPanel;

Napi::Value handleBuffer(Napi::Env env, std::uint64_t handle) {
  const auto bytes = platform::WindowRegistry::bytesOf(handle);
  return Napi::Buffer<std::uint8_t>::Copy(env, bytes.data(), bytes.size());
}

// quickLookPanel(): null when the panel is closed, else {window, items, index, path}.
Napi::Value quickLookPanel(const Napi::CallbackInfo& info) {
  auto env = info.Env();
  auto& panel = PreviewPanel::shared();
  if (!panel.isOpen()) return env.Null();
  auto result = Napi::Object::New(env);
  result.Set("window", handleBuffer(env, panel.windowHandle()));
  result.Set("items", Napi::Number::New(env, static_cast<double>(panel.numberOfItems())));
  result.Set("index", Napi::Number::New(env, static_cast<double>(panel.currentPreviewItemIndex())));
  const auto item = panel.currentPreviewItem();
  result.Set("path", item ? Napi::Value(Napi::String::New(env, *item)) : env.Null());
  return result;
}

// quickLookKey(keyCode, eventType): a key event in the panel; true when it was handled.
Napi::Value quickLookKey(const Napi::CallbackInfo& info) {
  auto env = info.Env();
  if (failIf(env, info.Length() < 2 || !info[0].IsNumber() || !info[1].IsNumber(),
             "quickLookKey(keyCode: number, eventType: number)")) {
    return {};
  }
  const bool handled = PreviewPanel::shared().keyEvent(info[0].As<Napi::Number>().Int32Value(),
                                                       info[1].As<Napi::Number>().Int32Value());
  return Napi::Boolean::New(env, handled);
}

Napi::Value closeQuickLookPanel(const Napi::CallbackInfo& info) {
  PreviewPanel::shared().close();
  return info.Env().Undefined();
}

// quickLookPanelImage(size): the shown item's picture as PNG, at most size pixels a side;
// null when nothing is shown.
Napi::Value quickLookPanelImage(const Napi::CallbackInfo& info) {
  auto env = info.Env();
  if (failIf(env, info.Length() < 1 || !info[0].IsNumber(), "quickLookPanelImage(size: number)")) {
    return {};
  }
  const double size = info[0].As<Napi::Number>().DoubleValue();
  if (failIf(env, !std::isfinite(size) || size < 1 || size > 4096,
             "quickLookPanelImage: size must be 1 to 4096")) {
    return {};
  }
  const auto item = PreviewPanel::shared().currentPreviewItem();
  auto image = item ? platform::thumbnailForFile(*item, static_cast<int>(size)) : nullptr;
  auto png = image ? image->representation(platform::BitmapFileType::PNG) : std::nullopt;
  if (!png) return env.Null();
  return Napi::Buffer<std::uint8_t>::Copy(env, png->data(), png->size());
}

// setPreviewTimeLimit(seconds): how long a thumbnail program may run.
Napi::Value setPreviewTimeLimit(const Napi::CallbackInfo& info) {
  auto env = info.Env();
  const double seconds = info.Length() > 0 && info[0].IsNumber()
                             ? info[0].As<Napi::Number>().DoubleValue()
                             : std::nan("");
  if (failIf(env, !std::isfinite(seconds) || seconds <= 0 || seconds > 3600,
             "setPreviewTimeLimit(seconds): 0 < seconds <= 3600")) {
    return {};
  }
  platform::setThumbnailTimeLimit(
      std::chrono::milliseconds(static_cast<long long>(std::ceil(seconds * 1000))));
  return env.Undefined();
}

void install(Napi::Env, Napi::Object exports) {
  exportFunction(exports, "quickLookPanel", quickLookPanel);
  exportFunction(exports, "quickLookKey", quickLookKey);
  exportFunction(exports, "closeQuickLookPanel", closeQuickLookPanel);
  exportFunction(exports, "quickLookPanelImage", quickLookPanelImage);
  exportFunction(exports, "setPreviewTimeLimit", setPreviewTimeLimit);
}

const Registrar registrar(install);

}  // namespace
}  // namespace velquarin::binding
