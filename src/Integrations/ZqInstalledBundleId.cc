#include "Integrations/ZqInstalledBundleId.h"

#include "applications/Applications.h"

std::optional<std::string> ZqFirstInstalledBundleId(std::initializer_list<const char*> ids) {
  for (const char* id : ids) {
    if (velquarin::platform::applicationWithId(id)) return std::string(id);
  }
  return std::nullopt;
}
