#include "Defaults/ZqStartAtLogin.h"

#include <filesystem>
#include <optional>
#include <string>

#include "Utilities/ZqLog.h"
#include "bundle/Bundle.h"
#include "loginitems/LoginItems.h"

using velquarin::platform::Bundle;
using velquarin::platform::LoginItem;
using velquarin::platform::LoginItemEntry;
using velquarin::platform::LoginItems;

namespace {

// The main bundle's location as login items resolve theirs, so the two compare as paths.
std::string bundleLocation() {
  const std::string path = Bundle::main()->path();
  std::error_code error;
  auto canonical = std::filesystem::canonical(path, error);
  return error ? path : canonical.string();
}

std::optional<LoginItems> openList() {
  auto list = LoginItems::openSessionList();
  if (!list) ZQ_LOG_WARN("Could not open the login items list");
  return list;
}

std::optional<LoginItem> findApplicationItem(const LoginItems& list) {
  const std::string location = bundleLocation();
  for (auto& item : list.snapshot()) {
    if (item.location && *item.location == location) return item;
  }
  return std::nullopt;
}

}  // namespace

bool ZqGetStartAtLogin() {
  auto list = openList();
  return list && findApplicationItem(*list).has_value();
}

void ZqSetStartAtLogin(bool enabled) {
  auto list = openList();
  if (!list) return;
  auto item = findApplicationItem(*list);
  if (enabled && !item) {
    auto bundle = Bundle::main();
    auto program = LoginItems::currentExecutable();
    if (!program) {
      ZQ_LOG_ERROR("Could not add the login item: the running program is unknown");
      return;
    }
    LoginItemEntry entry{
        bundleLocation(),
        bundle->infoString("CFBundleDisplayName")
            .value_or(bundle->infoString("CFBundleName").value_or("Velquarin")),
        {*program},
        bundle->identifier().value_or("io.velquarin.desktop"),
    };
    if (auto error = list->insertFirst(entry); !error.empty()) {
      ZQ_LOG_ERROR("Could not add the login item: %@", error);
    }
  } else if (!enabled && item) {
    if (auto error = list->remove(*item); !error.empty()) {
      ZQ_LOG_ERROR("Could not remove the login item: %@", error);
    }
  }
}

void ZqMigrateStartAtLogin() {
  auto list = openList();
  if (!list) return;
  for (const auto& item : list->snapshot()) {
    if (item.displayName != kZqPreviousVersionLoginItemName) continue;
    if (auto error = list->remove(item); !error.empty()) {
      ZQ_LOG_ERROR("Could not remove the login item: %@", error);
    }
    ZqSetStartAtLogin(true);
    return;
  }
}
