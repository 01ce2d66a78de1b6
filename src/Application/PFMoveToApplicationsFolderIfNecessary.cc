#include "Application/PFMoveToApplicationsFolderIfNecessary.h"

#include "Utilities/ZqLog.h"
#include "Utilities/ZqStartupStep.h"
#include "bundle/Bundle.h"

void PFMoveToApplicationsFolderIfNecessary() {
  // Applications run from where their package put them; moving the bundle would only break
  // the package manager's record of it.
  ZQ_LOG_DEBUG(
      "Not offering to move into an Applications folder: there is none on Linux, '%@' stays "
      "where it was installed",
      velquarin::platform::Bundle::main()->path());
}

namespace {

const ZqStartupStep step(15, "move to the applications folder",
                         [](Napi::Env) { PFMoveToApplicationsFolderIfNecessary(); });

}  // namespace
