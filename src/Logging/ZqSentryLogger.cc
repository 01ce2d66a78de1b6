#include "Logging/ZqSentryLogger.h"

#include "Utilities/ZqFormat.h"
#include "notificationcenter/NotificationCenter.h"
#include "runloop/MainQueue.h"

using velquarin::platform::LogLevel;
using velquarin::platform::MainQueue;
using velquarin::platform::NotificationCenter;

namespace {

const char* severityName(LogLevel level) {
  switch (level) {
    case LogLevel::Error:
      return "error";
    case LogLevel::Warning:
      return "warning";
    case LogLevel::Info:
      return "info";
    default:
      return "debug";
  }
}

}  // namespace

std::shared_ptr<ZqSentryLogger> ZqSentryLogger::sharedInstance() {
  static const auto instance = std::make_shared<ZqSentryLogger>();
  return instance;
}

void ZqSentryLogger::logMessage(const velquarin::platform::LogMessage& message) {
  std::string_view fileName = message.file;
  if (const auto slash = fileName.rfind('/'); slash != std::string_view::npos) {
    fileName.remove_prefix(slash + 1);
  }
  std::string text = ZqFormat("%@:%lu [%@] %@", fileName,
                              static_cast<unsigned long>(message.line < 0 ? 0 : message.line),
                              message.threadName, message.text);
  const char* severity = severityName(message.level);
  MainQueue::shared().async([severity, text = std::move(text)] {
    NotificationCenter::defaultCenter().post("ZqSentryBreadcrumbNotification", nullptr,
                                             {{"level", severity}, {"message", text}});
  });
}

void ZqSentryLogger::postEventAsNotification(const ZqCrashEvent& event) {
  MainQueue::shared().async([event] {
    NotificationCenter::defaultCenter().post("ZqSentryEventNotification", nullptr,
                                             {{"event", event.serialize()}});
  });
}
