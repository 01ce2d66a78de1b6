#include "Integrations/ZqOmnifocus.h"

#include "Integrations/ZqInstalledBundleId.h"
#include "Integrations/ZqTaskURL.h"

std::optional<std::string> ZqOmnifocus::installedBundleId() {
  return ZqFirstInstalledBundleId(
      {"com.omnigroup.OmniFocus4", "com.omnigroup.OmniFocus4.MacAppStore",
       "com.omnigroup.OmniFocus3", "com.omnigroup.OmniFocus3.MacAppStore",
       "com.omnigroup.OmniFocus2", "com.omnigroup.OmniFocus2.MacAppStore"});
}

void ZqOmnifocus::addActionWithContent(const std::string& content, const std::string& comment) {
  ZqOpenTaskURL(ZqTaskURL("omnifocus:///add?name=%@&note=%@", content, comment),
                installedBundleId(), kZqLaunchWithoutActivation);
}
