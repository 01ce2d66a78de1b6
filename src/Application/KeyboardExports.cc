#include "Application/AtomApplication.h"
#include "Exports.h"
#include "Utilities/ZqConvert.h"
#include "application/Application.h"

namespace zq::exports {

Napi::Value setKeyboardModifierKeysCallbackFunction(const ZqArgs& args) {
  ZqSetKeyboardModifierKeysCallback(args.at(0));
  return args.Env().Undefined();
}

Napi::Value modifierKeys(const ZqArgs& args) {
  return ZqToHostStringOrNull(args.Env(), ZqModifierKeysDescription());
}

Napi::Value isAppHidden(const ZqArgs& args) {
  return Napi::Boolean::New(args.Env(), velquarin::platform::Application::shared().isHidden());
}

}  // namespace zq::exports
