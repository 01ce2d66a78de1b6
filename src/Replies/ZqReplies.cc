#include "Replies/ZqReplies.h"

#include <sys/stat.h>
#include <unistd.h>

#include "Replies/ZqRepliesMenuItem.h"
#include "Utilities/ZqJSON.h"
#include "Utilities/ZqLog.h"
#include "menus/Menu.h"
#include "notificationcenter/NotificationCenter.h"
#include "runloop/MainQueue.h"
#include "support/Replies.h"
#include "termination/Termination.h"
#include "windows/WindowOrdering.h"

using velquarin::platform::BitmapFileType;
using velquarin::platform::Image;

std::optional<std::vector<std::uint8_t>> ZqPNGRepresentation(const std::shared_ptr<Image>& image) {
  if (!image) {
    ZQ_LOG_WARN("image is nil.");
    return std::nullopt;
  }
  return image->representation(BitmapFileType::PNG);
}

std::optional<std::vector<std::uint8_t>> ZqJPGRepresentation(const std::shared_ptr<Image>& image) {
  if (!image) {
    ZQ_LOG_WARN("image is nil.");
    return std::nullopt;
  }
  return image->representation(BitmapFileType::JPEG);
}

namespace {

namespace platform = velquarin::platform;
using platform::support::Replies;

constexpr const char* kCrashOnStartup = "CRASH_ON_STARTUP";
constexpr double kCrashQuitDelay = 2.0;

// Paths from JSON text: nullopt when the text is no array of strings.
std::optional<std::vector<std::string>> pathsFrom(std::string_view text, std::string* error) {
  auto parsed = ZqConvertFromJSONString(text, error);
  if (!parsed) return std::nullopt;
  std::vector<std::string> paths;
  for (const auto& element : parsed->is_array() ? *parsed : nlohmann::json()) {
    if (!element.is_string()) break;
    paths.push_back(element.get<std::string>());
  }
  if (!parsed->is_array() || paths.size() != parsed->size()) {
    if (error) *error = "the JSON text is no array of strings";
    return std::nullopt;
  }
  return paths;
}

// An object from JSON text, or nullopt with the warning both dictionaries share.
std::optional<nlohmann::json> dictionaryFrom(std::string_view text) {
  auto parsed = ZqConvertFromJSONString(text);
  if (parsed && parsed->is_object()) return parsed;
  ZQ_LOG_WARN("Couldn't parse meta data JSON %@", std::string(text));
  return std::nullopt;
}

// Files the service could read: regular and readable; others are left out with a warning.
void attach(const std::vector<std::string>& paths) {
  for (const auto& path : paths) {
    struct stat status {};
    if (stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode) ||
        access(path.c_str(), R_OK) != 0) {
      ZQ_LOG_WARN("Skipped attachment %@: not a readable file", path);
      continue;
    }
    Replies::sharedReplies().addAttachment(path);
  }
}

std::shared_ptr<platform::Menu> attachmentMenu(const nlohmann::json& options) {
  const auto title = options.find("current-html-page-menu-title");
  const bool given =
      title != options.end() && title->is_string() && !title->get<std::string>().empty();
  auto menu = std::make_shared<platform::Menu>();
  menu->addItem(ZqRepliesMenuItem::initWithTitle(
      given ? title->get<std::string>() : "Current HTML Page", "current-html-page"));
  return menu;
}

// Once per process: from now on, any window that stops being main quits the application
// 2 s later.
void quitWhenAWindowResignsMain() {
  static bool observing = false;
  if (observing) return;
  observing = true;
  platform::NotificationCenter::defaultCenter().addObserver(
      platform::kWindowDidResignMainNotification, nullptr,
      platform::NotificationCenter::Delivery::MainQueue, [](const platform::Notification&) {
        platform::MainQueue::shared().after(
            kCrashQuitDelay, [] { platform::Termination::terminate(0); }, true);
      });
}

}  // namespace

void ZqOpenSupportAndFeedbackWindow(std::string_view pathsJSON, std::string_view metaDataJSON,
                                    const std::optional<std::string>& threadId,
                                    const std::optional<std::string>& body,
                                    const std::optional<std::string>& optionsJSON) {
  std::string error;
  auto paths = pathsFrom(pathsJSON, &error);
  if (!paths) ZQ_LOG_WARN("error parsing JSON %@ because of %@", std::string(pathsJSON), error);
  const auto metaData = dictionaryFrom(metaDataJSON);
  const auto options = optionsJSON ? dictionaryFrom(*optionsJSON) : nlohmann::json::object();

  auto& replies = Replies::sharedReplies();
  replies.resetMessage();
  replies.setAPIHost(VELQUARIN_SUPPORT_API_HOST);
  replies.setFormIdentifier(VELQUARIN_SUPPORT_FORM_ID);
  replies.setProductName("Velquarin");
  replies.setMenu(attachmentMenu(options.value_or(nlohmann::json::object())));
  if (threadId == kCrashOnStartup) {
    quitWhenAWindowResignsMain();
  } else if (threadId) {
    replies.setThreadId(*threadId);
  }
  if (body) replies.setBody(*body);
  using platform::support::SubjectType;
  replies.setSubjectTypes({SubjectType::Problem, SubjectType::FeatureRequest, SubjectType::Other});
  if (metaData) replies.setMetaData(*metaData);
  if (paths) attach(*paths);
  replies.presentWindow();
}

void ZqAttachFilesToSupportAndFeedbackWindow(std::string_view pathsJSON) {
  if (!Replies::sharedReplies().window()) return;
  if (auto paths = pathsFrom(pathsJSON, nullptr)) attach(*paths);
}
