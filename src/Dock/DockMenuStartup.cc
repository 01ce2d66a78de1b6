#include "Dock/ZqDockMenu.h"
#include "Dock/ZqDockMenuBus.h"
#include "Utilities/ZqStartupStep.h"

namespace {
const ZqStartupStep dockMenu(5, "dock menu", [](Napi::Env) {
  ZqInstallDockMenuPatch();
  ZqPublishDockMenuOnBus();
});
}  // namespace
