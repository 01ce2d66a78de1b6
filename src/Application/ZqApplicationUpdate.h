#pragma once

#include <nlohmann/json.hpp>

#include <functional>
#include <string>
#include <vector>

#include "updater/Updater.h"

// The application's updater delegate: adds the host's and the module's parameters to every
// feed request and reports what the updater finds as log lines and process notifications.
class ZqApplicationUpdate : public velquarin::platform::updater::UpdaterDelegate {
 public:
  using FeedParameter = velquarin::platform::updater::FeedParameter;
  // Given whether the system profile goes with the request; returns the host's parameters
  // (parsed JSON; anything but an array adds none).
  using ParameterCallback = std::function<nlohmann::json(bool sendingSystemProfile)>;

  static constexpr const char* kReceivedAppcastNotification = "ZqReceivedAppcastNotification";
  static constexpr const char* kDidRelaunchNotification =
      "ZqApplicationDidRelaunchAfterUpdateNotification";
  static constexpr double kUpdateCheckInterval = 43200;

  static ZqApplicationUpdate& sharedInstance();

  void fetchAppcast();
  void checkForUpdates();
  void checkForUpdatesInBackground(bool automatically);
  void resetLastProfileSubmissionDate();

  const std::string& buildType() const { return buildType_; }
  void setParameterCallback(ParameterCallback callback) {
    parameterCallback_ = std::move(callback);
  }

  // The host's parameters: every element with string "key" and "value" (display pair
  // defaulting to them); others are skipped with one warning.
  static std::vector<FeedParameter> hostParameters(const nlohmann::json& parsed);
  // The module's own parameters, in order, for `buildType` ("stable" adds none).
  static std::vector<FeedParameter> moduleParameters(const std::string& buildType,
                                                     const std::vector<std::string>& languages);

  bool updaterShouldPromptForPermissionToCheckForUpdates() override { return false; }
  void updaterDidRelaunchApplication() override;
  std::vector<FeedParameter> feedParametersForUpdater(bool sendingSystemProfile) override;
  void didFinishLoadingAppcast(const velquarin::platform::updater::Appcast& appcast) override;
  void didFindValidUpdate(const velquarin::platform::updater::AppcastItem& item) override;
  void willInstallUpdate(const velquarin::platform::updater::AppcastItem& item) override;

 private:
  ZqApplicationUpdate();
  std::string buildType_ = "stable";
  ParameterCallback parameterCallback_;
};
