#include "Dock/ZqDockMenu.h"

#include "StatusItem/ZqStatusItemController.h"
#include "Utilities/ZqLog.h"
#include "application/Application.h"

using velquarin::platform::Application;
using velquarin::platform::ApplicationDelegate;
using velquarin::platform::Menu;

std::shared_ptr<Menu> ZqDockMenu(ApplicationDelegate&) {
  auto menu = std::make_shared<Menu>();
  ZqStatusItemController::sharedInstance()->menuNeedsUpdate(*menu, "dock", false);
  return menu;
}

void ZqCheckForNewMessages(ApplicationDelegate&) {
  ZqStatusItemController::sharedInstance()->checkForNewMessages(nullptr);
}

void ZqToogleDoNotDisturb(ApplicationDelegate&) {
  ZqStatusItemController::sharedInstance()->toggleDoNotDisturb(nullptr);
}

void ZqComposeNewMessage(ApplicationDelegate&) {
  ZqStatusItemController::sharedInstance()->composeNewMessage(nullptr);
}

void ZqInstallDockMenuPatch() {
  const auto delegate = Application::shared().delegate();
  if (!delegate) {
    ZQ_LOG_ERROR("Cannot patch as I didn't find application class");
    return;
  }
  const auto& cls = delegate->className();
  auto& actions = ApplicationDelegate::actionOperations();
  actions.add(cls, kZqCheckForNewMessagesSelector, ZqCheckForNewMessages);
  actions.add(cls, kZqToggleDoNotDisturbSelector, ZqToogleDoNotDisturb);
  actions.add(cls, kZqComposeNewMessageSelector, ZqComposeNewMessage);
  ApplicationDelegate::menuOperations().replace(cls, ApplicationDelegate::kDockMenuSelector,
                                                ZqDockMenu);
}
