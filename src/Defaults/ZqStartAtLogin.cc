#include "Defaults/ZqStartAtLogin.h"

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "Utilities/ZqLog.h"
#include "bundle/Bundle.h"
#include "loginitems/LoginItems.h"
#include "relaunch/Relaunch.h"

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

// The application's items, in list order: normally one, but the user may have copied one.
std::vector<LoginItem> applicationItems(const LoginItems& list) {
  const std::string location = bundleLocation();
  std::vector<LoginItem> items;
  for (auto& item : list.snapshot()) {
    if (item.location && *item.location == location) items.push_back(std::move(item));
  }
  return items;
}

bool anyEnabled(const std::vector<LoginItem>& items) {
  return std::any_of(items.begin(), items.end(),
                     [](const LoginItem& item) { return item.enabled; });
}

void removeItems(const LoginItems& list, const std::vector<LoginItem>& items) {
  for (const auto& item : items) {
    if (auto error = list.remove(item); !error.empty()) {
      ZQ_LOG_ERROR("Could not remove the login item: %@", error);
    }
  }
}

// The host as it was started (`node app.js` needs app.js), from where it was started.
bool insertApplicationItem(const LoginItems& list) {
  auto command = velquarin::platform::currentProcessCommand();
  if (!command) {
    ZQ_LOG_ERROR("Could not add the login item: the running program is unknown");
    return false;
  }
  auto bundle = Bundle::main();
  LoginItemEntry entry{
      bundleLocation(),
      bundle->infoString("CFBundleDisplayName")
          .value_or(bundle->infoString("CFBundleName").value_or("Velquarin")),
      {command->executable},
      bundle->identifier().value_or("io.velquarin.desktop"),
  };
  entry.command.insert(entry.command.end(), std::next(command->arguments.begin()),
                       command->arguments.end());
  std::error_code error;
  const auto workingDirectory = std::filesystem::current_path(error);
  if (!error) entry.workingDirectory = workingDirectory.string();
  if (auto problem = list.insertFirst(entry); !problem.empty()) {
    ZQ_LOG_ERROR("Could not add the login item: %@", problem);
    return false;
  }
  return true;
}

}  // namespace

bool ZqGetStartAtLogin() {
  auto list = openList();
  return list && anyEnabled(applicationItems(*list));
}

// An item the user switched off does not start the application: enabling writes a fresh
// one in its place rather than a second one beside it.
void ZqSetStartAtLogin(bool enabled) {
  auto list = openList();
  if (!list) return;
  const auto items = applicationItems(*list);
  if (enabled && !anyEnabled(items)) {
    if (insertApplicationItem(*list)) removeItems(*list, items);
  } else if (!enabled) {
    removeItems(*list, items);
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
