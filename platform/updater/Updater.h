#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "runloop/MainQueue.h"
#include "updater/Appcast.h"

namespace velquarin::platform::http {
class Transfer;
}

namespace velquarin::platform::updater {

// A name and value sent with a feed request, and how the user is shown them.
struct FeedParameter {
  std::string key;
  std::string value;
  std::string displayKey;
  std::string displayValue;
};

// What the application hears from its updater, on the main thread.
class UpdaterDelegate {
 public:
  virtual ~UpdaterDelegate() = default;
  virtual bool updaterShouldPromptForPermissionToCheckForUpdates() { return false; }
  virtual void updaterDidRelaunchApplication() {}
  virtual std::vector<FeedParameter> feedParametersForUpdater(bool sendingSystemProfile) {
    (void)sendingSystemProfile;
    return {};
  }
  virtual void didFinishLoadingAppcast(const Appcast&) {}
  virtual void didFindValidUpdate(const AppcastItem&) {}
  virtual void willInstallUpdate(const AppcastItem&) {}
};

// The application's updater: checks the feed named by the main bundle's SUFeedURL (or an
// explicit one) on request and on a schedule, and shows its windows as a model the platform
// binding reads and answers. Nothing is downloaded or installed: "install" records a marker,
// ends the process, and the next process's updater reports the relaunch.
class Updater {
 public:
  enum class Window { None, Checking, UpdateAvailable, UpToDate, Error };
  static constexpr const char* kAutomaticChecksKey = "SUEnableAutomaticChecks";
  static constexpr const char* kSendProfileKey = "SUSendProfileInfo";
  static constexpr const char* kLastProfileSubmissionKey = "SULastProfileSubmissionDate";
  static constexpr const char* kRelaunchMarkerKey = "SUUpdateRelaunchingMarker";
  static constexpr double kProfileInterval = 7 * 24 * 3600;
  static constexpr std::size_t kMaximumFeedSize = 4 << 20;
  static constexpr double kFeedTimeout = 30;

  static Updater& shared();

  // The delegate lives as long as the process (the application's singleton). Setting it
  // reports a relaunch the previous process asked for.
  void setDelegate(UpdaterDelegate* delegate);
  void setFeedURL(std::optional<std::string> url) { feedURL_ = std::move(url); }
  // The explicit feed, else the main bundle's; nullopt when neither is an http(s) URL.
  std::optional<std::string> feedURL() const;
  void setUpdateCheckInterval(double seconds);
  double updateCheckInterval() const { return interval_; }
  bool automaticallyChecksForUpdates() const;
  void setAutomaticallyChecksForUpdates(bool automatically);
  // The next scheduled check is an interval from now.
  void resetUpdateCycle();

  // One check at a time: a check asked while one runs is ignored.
  void checkForUpdates();              // the user's: every outcome shown
  void checkForUpdatesInBackground();  // only an update is shown
  void checkForUpdateInformation();    // nothing shown
  bool isChecking() const { return transfer_ != nullptr || preparing_; }

  // The window shown now, the update it offers and the last error.
  Window window() const { return window_; }
  const std::optional<AppcastItem>& offeredUpdate() const { return offered_; }
  const std::string& lastError() const { return lastError_; }
  const std::string& lastRequestURL() const { return lastRequestURL_; }
  // The user's answer: "install" or "later" in the update window, "ok" in the others.
  // False when the window has no such button.
  bool answer(const std::string& choice);

  // The feed URL with `parameters` added to its query (keys and values percent-encoded).
  static std::string urlWithParameters(const std::string& url,
                                       const std::vector<FeedParameter>& parameters);
  // The highest item newer than `bundleVersion` that admits `systemVersion`.
  static std::optional<AppcastItem> bestUpdate(const Appcast& appcast,
                                               const std::string& bundleVersion,
                                               const std::string& systemVersion);

 private:
  enum class Mode { User, Background, Information };
  class FeedLoad;
  Updater() = default;
  void check(Mode mode);
  bool shouldSendProfile();
  void finished(Mode mode, std::optional<Appcast> appcast, const std::string& error);
  void scheduleNextCheck();

  UpdaterDelegate* delegate_ = nullptr;
  std::optional<std::string> feedURL_;
  double interval_ = 86400;
  TimerId timer_ = 0;
  std::shared_ptr<FeedLoad> load_;
  std::shared_ptr<http::Transfer> transfer_;
  bool preparing_ = false;
  Window window_ = Window::None;
  std::optional<AppcastItem> offered_;
  std::string lastError_;
  std::string lastRequestURL_;
};

const char* windowName(Updater::Window window);

}  // namespace velquarin::platform::updater
