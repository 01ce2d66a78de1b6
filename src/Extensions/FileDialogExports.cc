#include <memory>

#include "Exports.h"
#include "Extensions/ZqSaveDialogOptions.h"
#include "HostCall.h"
#include "Utilities/ZqCallbackSlot.h"
#include "Utilities/ZqConvert.h"
#include "Utilities/ZqLog.h"
#include "dialogs/SavePanel.h"
#include "runloop/MainQueue.h"

using velquarin::platform::MainQueue;
using velquarin::platform::SavePanel;

namespace zq::exports {

namespace {

// While it holds a function, a save dialog is in progress.
ZqCallbackSlot saveDialogSlot("showFileDialog");
// The host waits for the dialog's answer: keep its loop alive until then. Never destroyed, so
// no hold is released from a static destructor after the loop is gone.
std::unique_ptr<MainQueue::KeepAlive>& dialogKeepAlive() {
  static auto* holder = new std::unique_ptr<MainQueue::KeepAlive>();
  return *holder;
}

void saveDialogEnded(SavePanel::Response response, const std::string& path) {
  dialogKeepAlive().reset();
  // The slot is emptied before the call, so the function may open the next dialog.
  saveDialogSlot.invokeOnce([&](Napi::Env env) -> std::vector<napi_value> {
    if (response != SavePanel::Response::OK) return {};
    return {ZqToHostString(env, path)};
  });
}

}  // namespace

Napi::Value showFileDialog(const ZqArgs& args) {
  auto env = args.Env();
  auto window = ToWindow(args.at(0));
  if (!window) {
    ZQ_LOG_AS("VelquarinNative", ZqLogLevel::Error, "Need window to show file dialog.");
    return env.Undefined();
  }
  std::string error;
  auto options = ZqSaveDialogOptionsFromJSON(convertToString(args.at(1)).value_or(""), &error);
  if (!options) {
    ZQ_LOG_AS("VelquarinNative", ZqLogLevel::Error, "Couldn't open dialog because of error: %@",
              error);
    return env.Undefined();
  }
  if (saveDialogSlot.isSet()) {
    ZQ_LOG_AS("VelquarinNative", ZqLogLevel::Warning,
              "There's already a save dialog in progress, try again later.");
    velquarin::node::callHost(env, args.at(2).As<Napi::Function>(), nullptr, {});
    return env.Undefined();
  }

  saveDialogSlot.set(args.at(2));
  auto panel = std::make_shared<SavePanel>();
  panel->directory = options->directory;
  if (options->filename) panel->nameFieldStringValue = *options->filename;
  dialogKeepAlive() = std::make_unique<MainQueue::KeepAlive>();
  if (!SavePanel::beginSheet(panel, *window, saveDialogEnded)) {
    // The window cannot take the sheet: answer as cancelled rather than wait for ever.
    saveDialogEnded(SavePanel::Response::Cancel, {});
  }
  return env.Undefined();
}

}  // namespace zq::exports
