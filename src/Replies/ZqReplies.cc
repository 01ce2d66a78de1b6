#include "Replies/ZqReplies.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "Replies/ZqRepliesMenuItem.h"
#include "Utilities/ZqJSON.h"
#include "Utilities/ZqLog.h"
#include "files/DataWriter.h"
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

std::string ZqAnnotatedImageFileName(const std::string& title) {
  std::string name = title;
  for (auto& c : name) {
    if (std::string_view("/\\?%*|\"<>").find(c) != std::string_view::npos) c = '_';
  }
  return ZqFormat("%@.png", name);
}

namespace {

// Writes the composed image; the path, or nullopt (with a warning) when it cannot be written.
std::optional<std::string> writeComposed(const platform::support::ScreenShotAttachment& shot,
                                         const std::string& path, bool atomic) {
  const auto data = ZqPNGRepresentation(shot.composedImage());
  if (!data) return std::nullopt;
  if (const auto error = platform::writeData(path, *data, atomic)) {
    ZQ_LOG_WARN("Couldn't write %@: %@", path, error->description());
    return std::nullopt;
  }
  return path;
}

}  // namespace

void ZqAnnotateImage(const std::string& path, ZqRepliesResult result) {
  if (path.empty()) {
    ZQ_LOG_WARN("path is required.");
    return;
  }
  const std::filesystem::path file(path);
  auto shot = platform::support::ScreenShotAttachment::attachmentWithImage(Image::fromFile(path));
  if (!shot) {
    ZQ_LOG_WARN("Couldn't load the image %@", path);
    result(std::nullopt);
    return;
  }
  shot->setTitle(file.stem().string());
  const std::string directory = file.parent_path().string();
  Replies::sharedReplies().editAttachment(
      shot, [directory, result](std::shared_ptr<platform::support::ScreenShotAttachment> edited) {
        if (!edited) return result(std::nullopt);
        const auto target =
            std::filesystem::path(directory) / ZqAnnotatedImageFileName(edited->title());
        result(writeComposed(*edited, target.string(), true));
      });
}

void ZqTakeScreenRecording(const std::string& directory, ZqRepliesResult result) {
  if (directory.empty()) {
    ZQ_LOG_WARN("directory path is required");
    return;
  }
  Replies::sharedReplies().takeScreenRecording(
      [directory, result](std::shared_ptr<platform::support::Attachment> taken) {
        if (!taken) return result(std::nullopt);
        auto shot = std::dynamic_pointer_cast<platform::support::ScreenShotAttachment>(taken);
        if (!shot) return result(taken->path());
        Replies::sharedReplies().editAttachment(
            shot,
            [directory, result](std::shared_ptr<platform::support::ScreenShotAttachment> edited) {
              if (!edited) return result(std::nullopt);
              const auto target = std::filesystem::path(directory) / "screenshot.png";
              result(writeComposed(*edited, target.string(), true));
            });
      });
}
