#include "Dock/ZqDockMenu.h"
#include "Utilities/ZqStartupStep.h"

namespace {
const ZqStartupStep dockMenu(5, "dock menu", [](Napi::Env) { ZqInstallDockMenuPatch(); });
}  // namespace
