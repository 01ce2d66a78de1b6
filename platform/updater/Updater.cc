#include "updater/Updater.h"

#include <cstdio>

#include "bundle/Bundle.h"
#include "defaults/UserDefaults.h"
#include "http/HTTPRequest.h"
#include "http/HTTPTransfer.h"
#include "locale/Locale.h"
#include "runloop/Clock.h"
#include "systemversion/SystemVersion.h"
#include "termination/Termination.h"
#include "updater/VersionComparator.h"

namespace velquarin::platform::updater {
namespace {

std::string percentEncoded(const std::string& text) {
  static const char* hex = "0123456789ABCDEF";
  std::string out;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    // The unreserved characters, spelled out: isalnum would follow the process's locale.
    const bool alnum =
        (byte >= '0' && byte <= '9') || ((byte | 0x20) >= 'a' && (byte | 0x20) <= 'z');
    if (alnum || byte == '-' || byte == '.' || byte == '_' || byte == '~') {
      out += c;
    } else {
      out += '%';
      out += hex[byte >> 4];
      out += hex[byte & 0xF];
    }
  }
  return out;
}

bool admits(const AppcastItem& item, const std::string& systemVersion) {
  const auto minimum = item.property("sparkle:minimumSystemVersion");
  const auto maximum = item.property("sparkle:maximumSystemVersion");
  if (minimum && compareVersions(systemVersion, *minimum) < 0) return false;
  return !maximum || compareVersions(systemVersion, *maximum) <= 0;
}

}  // namespace

// Receives one feed transfer; reports to the updater once.
class Updater::FeedLoad : public http::TransferClient {
 public:
  explicit FeedLoad(Mode mode) : mode_(mode) {}
  void transferDidReceiveResponse(int statusCode, const std::optional<std::string>&) override {
    status_ = statusCode;
  }
  void transferDidReceiveData(std::span<const std::uint8_t>) override {}
  void transferDidFinishLoading(http::Body body) override {
    if (status_ < 200 || status_ > 299) {
      return settle(std::nullopt, "the server answered with status " + std::to_string(status_));
    }
    std::string error;
    const std::string_view text(reinterpret_cast<const char*>(body.data()), body.size());
    auto appcast = parseAppcast(text, Locale::preferredLanguages(), &error);
    settle(std::move(appcast), error);
  }
  void transferDidFail(const http::URLError& error) override {
    settle(std::nullopt, error.localizedDescription());
  }

 private:
  void settle(std::optional<Appcast> appcast, const std::string& error) {
    Updater::shared().finished(mode_, std::move(appcast), error);
  }
  Mode mode_;
  int status_ = 0;
};

Updater& Updater::shared() {
  static auto* updater = new Updater();
  return *updater;
}

void Updater::setDelegate(UpdaterDelegate* delegate) {
  delegate_ = delegate;
  auto defaults = UserDefaults::standard();
  if (delegate_ && defaults->value(kRelaunchMarkerKey)) {
    defaults->remove(kRelaunchMarkerKey);
    defaults->synchronize();
    delegate_->updaterDidRelaunchApplication();
  }
}

std::optional<std::string> Updater::feedURL() const {
  auto url = feedURL_ ? feedURL_ : Bundle::main()->infoString("SUFeedURL");
  if (!url || !http::isHTTPURL(*url)) return std::nullopt;
  return url;
}

void Updater::setUpdateCheckInterval(double seconds) {
  if (!(seconds > 0)) return;
  interval_ = seconds;
  scheduleNextCheck();
}

bool Updater::automaticallyChecksForUpdates() const {
  return UserDefaults::standard()->boolValue(kAutomaticChecksKey).value_or(false);
}

void Updater::setAutomaticallyChecksForUpdates(bool automatically) {
  UserDefaults::standard()->set(kAutomaticChecksKey, automatically);
  scheduleNextCheck();
}

void Updater::resetUpdateCycle() {
  scheduleNextCheck();
}

// An unref'd timer: a scheduled check never keeps the process alive.
void Updater::scheduleNextCheck() {
  if (timer_) MainQueue::shared().cancel(timer_);
  timer_ = 0;
  if (!automaticallyChecksForUpdates()) return;
  timer_ = MainQueue::shared().after(interval_, [this] {
    timer_ = 0;
    checkForUpdatesInBackground();
    scheduleNextCheck();
  });
}

void Updater::checkForUpdates() {
  check(Mode::User);
}
void Updater::checkForUpdatesInBackground() {
  check(Mode::Background);
}
void Updater::checkForUpdateInformation() {
  check(Mode::Information);
}

bool Updater::shouldSendProfile() {
  auto defaults = UserDefaults::standard();
  if (!defaults->boolValue(kSendProfileKey).value_or(false)) return false;
  const auto last = defaults->value(kLastProfileSubmissionKey);
  const auto date = last ? last->asDate() : std::nullopt;
  const double now = Clock::now();
  if (date && now - date->unixSeconds() < kProfileInterval) return false;
  defaults->set(kLastProfileSubmissionKey, PlistDate::fromUnixSeconds(now));
  return true;
}

void Updater::check(Mode mode) {
  if (isChecking()) return;
  // Marked first: a check the delegate asks for while giving parameters is ignored.
  preparing_ = true;
  if (mode == Mode::User) window_ = Window::Checking;
  const auto url = feedURL();
  std::vector<FeedParameter> parameters;
  if (delegate_) parameters = delegate_->feedParametersForUpdater(shouldSendProfile());
  preparing_ = false;
  if (!url) return finished(mode, std::nullopt, "the application names no http(s) feed");
  lastRequestURL_ = urlWithParameters(*url, parameters);
  http::Request request;
  request.url = lastRequestURL_;
  request.timeoutSeconds = kFeedTimeout;
  request.maximumBodySize = kMaximumFeedSize;
  load_ = std::make_shared<FeedLoad>(mode);
  transfer_ = http::Transfer::start(std::move(request), load_.get());
}

void Updater::finished(Mode mode, std::optional<Appcast> appcast, const std::string& error) {
  // The client object may be the caller: it is dropped once the main queue is free.
  if (load_ || transfer_) {
    MainQueue::shared().async([load = std::move(load_), transfer = std::move(transfer_)] {});
  }
  load_.reset();
  transfer_.reset();
  if (!appcast) {
    lastError_ = error;
    window_ = mode == Mode::User ? Window::Error : window_;
    return;
  }
  if (delegate_) delegate_->didFinishLoadingAppcast(*appcast);
  const auto version = Bundle::main()->infoString("CFBundleVersion").value_or("");
  auto update = bestUpdate(*appcast, version, SystemVersion::current());
  if (update && delegate_) delegate_->didFindValidUpdate(*update);
  if (mode == Mode::Information) return;
  if (update) {
    offered_ = std::move(update);
    window_ = Window::UpdateAvailable;
  } else if (mode == Mode::User) {
    window_ = Window::UpToDate;
  }
}

bool Updater::answer(const std::string& choice) {
  if (window_ == Window::UpdateAvailable && offered_) {
    if (choice == "later") {
      window_ = Window::None;
      return true;
    }
    if (choice != "install") return false;
    window_ = Window::None;
    if (delegate_) delegate_->willInstallUpdate(*offered_);
    auto defaults = UserDefaults::standard();
    defaults->set(kRelaunchMarkerKey, offered_->versionString);
    defaults->synchronize();
    Termination::terminate(0);
    return true;
  }
  if (choice != "ok" || window_ == Window::None || window_ == Window::Checking) return false;
  window_ = Window::None;
  return true;
}

std::string Updater::urlWithParameters(const std::string& url,
                                       const std::vector<FeedParameter>& parameters) {
  if (parameters.empty()) return url;
  const auto hash = url.find('#');
  std::string base = url.substr(0, hash);
  const std::string fragment = hash == std::string::npos ? "" : url.substr(hash);
  const auto query = base.find('?');
  if (query == std::string::npos) {
    base += '?';
  } else if (base.back() != '?' && base.back() != '&') {
    base += '&';
  }
  for (std::size_t i = 0; i < parameters.size(); ++i) {
    if (i) base += '&';
    base += percentEncoded(parameters[i].key) + "=" + percentEncoded(parameters[i].value);
  }
  return base + fragment;
}

std::optional<AppcastItem> Updater::bestUpdate(const Appcast& appcast,
                                               const std::string& bundleVersion,
                                               const std::string& systemVersion) {
  const AppcastItem* best = nullptr;
  for (const auto& item : appcast.items) {
    if (item.versionString.empty() || !admits(item, systemVersion)) continue;
    if (compareVersions(item.versionString, bundleVersion) <= 0) continue;
    if (!best || compareVersions(item.versionString, best->versionString) > 0) best = &item;
  }
  if (!best) return std::nullopt;
  return *best;
}

const char* windowName(Updater::Window window) {
  switch (window) {
    case Updater::Window::Checking:
      return "checking";
    case Updater::Window::UpdateAvailable:
      return "updateAvailable";
    case Updater::Window::UpToDate:
      return "upToDate";
    case Updater::Window::Error:
      return "error";
    case Updater::Window::None:
      break;
  }
  return "none";
}

}  // namespace velquarin::platform::updater
