#include "Exports.h"
#include "Utilities/ZqConvert.h"
#include "Window/WindowUtils.h"
#include "windows/WindowOrdering.h"
#include "windows/WindowRegistry.h"

using velquarin::platform::WindowOrdering;
using velquarin::platform::WindowRegistry;

namespace zq::exports {

// Window updates are never disabled here, so there is nothing to turn back on.
Napi::Value reenableWindowUpdates(const ZqArgs& args) {
  return args.Env().Undefined();
}

Napi::Value setWindowNotificationCallbackFunction(const ZqArgs& args) {
  ZqSetWindowNotificationCallback(args.at(0));
  return args.Env().Undefined();
}

Napi::Value hasMainWindow(const ZqArgs& args) {
  return Napi::Boolean::New(args.Env(), WindowOrdering::mainWindow() != nullptr);
}

Napi::Value hasKeyWindow(const ZqArgs& args) {
  return Napi::Boolean::New(args.Env(), WindowOrdering::keyWindow() != nullptr);
}

Napi::Value hasSheets(const ZqArgs& args) {
  const auto window = ToWindow(args.at(0));
  return Napi::Boolean::New(args.Env(), window && !window->attachedSheets().empty());
}

Napi::Value closeMainWindow(const ZqArgs& args) {
  if (auto window = WindowOrdering::mainWindow()) WindowRegistry::shared().close(window->handle());
  return args.Env().Undefined();
}

Napi::Value closeKeyWindow(const ZqArgs& args) {
  if (auto window = WindowOrdering::keyWindow()) WindowRegistry::shared().close(window->handle());
  return args.Env().Undefined();
}

Napi::Value hideWindowContent(const ZqArgs& args) {
  ZqHideWindowContent(ToWindow(args.at(0)), ZqInt32Value(args.at(1)));
  return args.Env().Undefined();
}

Napi::Value setQueryWindowTraitCallbackFunction(const ZqArgs& args) {
  ZqSetQueryWindowTraitCallback(args.at(0));
  return args.Env().Undefined();
}

}  // namespace zq::exports
