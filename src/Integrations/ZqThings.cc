#include "Integrations/ZqThings.h"

#include "Integrations/ZqInstalledBundleId.h"
#include "Integrations/ZqTaskURL.h"

std::optional<std::string> ZqThings::installedBundleId() {
  return ZqFirstInstalledBundleId(
      {"com.culturedcode.ThingsMac.beta", "com.culturedcode.ThingsMac"});
}

void ZqThings::addActionWithContent(const std::string& content, const std::string& comment) {
  ZqOpenTaskURL(
      ZqTaskURL("things:///add?title=%@&notes=%@&show-quick-entry=true", content, comment),
      installedBundleId(), kZqLaunchAsync);
}
