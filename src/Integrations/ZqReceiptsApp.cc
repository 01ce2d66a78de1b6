#include "Integrations/ZqReceiptsApp.h"

#include "Integrations/ZqInstalledBundleId.h"
#include "Utilities/ZqLog.h"
#include "applications/Applications.h"
#include "applications/Workspace.h"

std::optional<std::string> ZqReceiptsApp::installedBundleId() {
  // The subscription edition's identifier is not known here.
  return ZqFirstInstalledBundleId({kBundleId});
}

std::optional<std::string> ZqReceiptsApp::urlForApplication() {
  const auto id = installedBundleId();
  const auto application = id ? velquarin::platform::applicationWithId(*id) : std::nullopt;
  return application ? std::optional(application->path) : std::nullopt;
}

void ZqReceiptsApp::importEMLWithPath(const std::string& path) {
  std::string error;
  if (!velquarin::platform::Workspace::openFile(path, urlForApplication(), true, &error)) {
    ZQ_LOG_WARN("Couldn't open %@ with the receipts application: %@", path, error);
  }
}
