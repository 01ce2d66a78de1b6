#include "Dock/ZqDockMenuBus.h"

#include <map>

#include "Dock/ZqDockMenu.h"
#include "application/Application.h"
#include "bus/ApplicationBus.h"

using velquarin::platform::Application;
using velquarin::platform::BusReply;
using velquarin::platform::BusValue;

namespace {

BusReply activateAction(const std::string&, const std::vector<BusValue>& args) {
  static const std::map<std::string, const char*> selectors = {
      {"get-new-mail", kZqCheckForNewMessagesSelector},
      {"toggle-do-not-disturb", kZqToggleDoNotDisturbSelector},
      {"compose-new-message", kZqComposeNewMessageSelector}};
  const auto* action = args.empty() ? nullptr : args[0].as<std::string>();
  const auto found = action ? selectors.find(*action) : selectors.end();
  if (found == selectors.end()) {
    return BusReply::fail(velquarin::platform::kBusErrorInvalidArgs, "Unknown dock action");
  }
  auto delegate = Application::shared().delegate();
  if (!delegate || !delegate->perform(found->second)) {
    return BusReply::fail(velquarin::platform::kBusErrorFailed, "The dock menu is not available");
  }
  return BusReply::of({});
}

}  // namespace

void ZqPublishDockMenuOnBus() {
  velquarin::platform::ApplicationBus::shared().addInterface(
      {kZqDockMenuBusInterface, {}, {{"ActivateAction", "s", "", activateAction}}, {}});
}
