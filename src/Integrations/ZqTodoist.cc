#include "Integrations/ZqTodoist.h"

#include "Integrations/ZqInstalledBundleId.h"
#include "Integrations/ZqTaskURL.h"

bool ZqTodoist::isInstalled() {
  return ZqFirstInstalledBundleId({kBundleId}).has_value();
}

void ZqTodoist::addActionWithContent(const std::string& content, const std::string& comment) {
  ZqOpenTaskURL(ZqTaskURL("todoist://addtask?content=%@&comment=%@", content, comment),
                std::nullopt, kZqLaunchAsync);
}
