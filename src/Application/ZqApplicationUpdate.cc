#include "Application/ZqApplicationUpdate.h"

#include "Utilities/ZqLog.h"
#include "application/Application.h"
#include "application/EventModifierFlags.h"
#include "bundle/Bundle.h"
#include "defaults/UserDefaults.h"
#include "locale/Locale.h"
#include "notificationcenter/NotificationCenter.h"
#include "systemversion/SystemVersion.h"

namespace platform = velquarin::platform;
using platform::updater::Updater;

ZqApplicationUpdate& ZqApplicationUpdate::sharedInstance() {
  static auto* instance = new ZqApplicationUpdate();
  return *instance;
}

// The feed comes from the bundle's configuration; checks every 12 hours when automatic.
ZqApplicationUpdate::ZqApplicationUpdate() {
  auto& updater = Updater::shared();
  updater.setFeedURL(std::nullopt);
  updater.setUpdateCheckInterval(kUpdateCheckInterval);
  updater.setDelegate(this);
}

void ZqApplicationUpdate::fetchAppcast() {
  Updater::shared().checkForUpdateInformation();
}

void ZqApplicationUpdate::checkForUpdates() {
  const auto& event = platform::Application::shared().currentEvent();
  if (event && event->has(platform::EventModifierFlags::Option)) buildType_ = "test";
  Updater::shared().checkForUpdates();
}

void ZqApplicationUpdate::checkForUpdatesInBackground(bool automatically) {
  auto& updater = Updater::shared();
  updater.setAutomaticallyChecksForUpdates(automatically);
  updater.resetUpdateCycle();
  updater.checkForUpdatesInBackground();
}

void ZqApplicationUpdate::resetLastProfileSubmissionDate() {
  platform::UserDefaults::standard()->remove(Updater::kLastProfileSubmissionKey);
}

std::vector<ZqApplicationUpdate::FeedParameter> ZqApplicationUpdate::hostParameters(
    const nlohmann::json& parsed) {
  std::vector<FeedParameter> parameters;
  if (!parsed.is_array()) return parameters;
  bool skipped = false;
  const auto text = [](const nlohmann::json& element, const char* key,
                       const std::string& fallback) {
    const auto found = element.find(key);
    return found != element.end() && found->is_string() ? found->get<std::string>() : fallback;
  };
  for (const auto& element : parsed) {
    if (!element.is_object() || !element.contains("key") || !element["key"].is_string() ||
        !element.contains("value") || !element["value"].is_string()) {
      skipped = true;
      continue;
    }
    const auto key = element["key"].get<std::string>();
    const auto value = element["value"].get<std::string>();
    parameters.push_back(
        {key, value, text(element, "displayKey", key), text(element, "displayValue", value)});
  }
  if (skipped) ZQ_LOG_WARN("Skipped feed parameters without a string key and value");
  return parameters;
}

std::vector<ZqApplicationUpdate::FeedParameter> ZqApplicationUpdate::moduleParameters(
    const std::string& buildType, const std::vector<std::string>& languages) {
  const auto bundle = platform::Bundle::main();
  const auto parameter = [](std::string key, std::string value, std::string displayKey) {
    return FeedParameter{std::move(key), value, std::move(displayKey), value};
  };
  std::vector<FeedParameter> parameters{
      parameter("osVersion", platform::SystemVersion::current(), "macOS Version"),
      parameter("appVersion", bundle->infoString("CFBundleVersion").value_or(""),
                "Application Version"),
      parameter("shortVersionString", bundle->infoString("CFBundleShortVersionString").value_or(""),
                "Application Version String"),
      parameter("selectedLanguage", languages.empty() ? "None" : languages.front(),
                "Selected Language")};
  if (buildType != "stable") parameters.push_back(parameter("buildType", buildType, "Build Type"));
  return parameters;
}

std::vector<ZqApplicationUpdate::FeedParameter> ZqApplicationUpdate::feedParametersForUpdater(
    bool sendingSystemProfile) {
  ZQ_LOG_INFO("Check for updates. (buildType=%@, sendingProfile=%@)", buildType_,
              sendingSystemProfile ? "YES" : "NO");
  // A test check affects exactly this request, whatever the host's callback does.
  const std::string buildType = std::exchange(buildType_, "stable");
  std::vector<FeedParameter> parameters;
  if (parameterCallback_) parameters = hostParameters(parameterCallback_(sendingSystemProfile));
  auto own = moduleParameters(buildType, platform::Locale::preferredLanguages());
  parameters.insert(parameters.end(), own.begin(), own.end());
  return parameters;
}

void ZqApplicationUpdate::updaterDidRelaunchApplication() {
  platform::NotificationCenter::defaultCenter().post(kDidRelaunchNotification, this);
}

void ZqApplicationUpdate::didFinishLoadingAppcast(
    const velquarin::platform::updater::Appcast& appcast) {
  auto items = nlohmann::json::array();
  for (const auto& item : appcast.items) items.push_back(item.properties);
  platform::NotificationCenter::defaultCenter().post(kReceivedAppcastNotification, this,
                                                     {{"appcast", std::move(items)}});
}

void ZqApplicationUpdate::didFindValidUpdate(
    const velquarin::platform::updater::AppcastItem& item) {
  ZQ_LOG_INFO("Did find update %@.", item.versionString);
}

void ZqApplicationUpdate::willInstallUpdate(const velquarin::platform::updater::AppcastItem& item) {
  ZQ_LOG_INFO("Will install update %@.", item.versionString);
}
