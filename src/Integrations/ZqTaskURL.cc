#include "Integrations/ZqTaskURL.h"

#include "Extensions/NSString+ZqExtensions.h"
#include "Utilities/ZqLog.h"
#include "applications/Workspace.h"

std::string ZqTaskURL(const std::string& templateText, const std::string& content,
                      const std::string& comment) {
  std::string url;
  const std::string values[] = {zq_escapeForURL(content), zq_escapeForURL(comment)};
  std::size_t next = 0;
  for (std::size_t at = 0; at < templateText.size(); ++at) {
    if (next < 2 && templateText.compare(at, 2, "%@") == 0) {
      url += values[next++];
      ++at;
    } else {
      url.push_back(templateText[at]);
    }
  }
  return url;
}

void ZqOpenTaskURL(const std::string& url, const std::optional<std::string>& bundleId,
                   unsigned long launchOptions) {
  std::string error;
  if (!velquarin::platform::Workspace::openURLs({url}, bundleId, launchOptions, &error)) {
    ZQ_LOG_WARN("Couldn't open a task URL with %@: %@",
                bundleId.value_or("the default application"), error);
  }
}
