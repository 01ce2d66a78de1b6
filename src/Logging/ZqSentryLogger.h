#pragma once

#include <memory>

#include "Logging/ZqCrashEvent.h"
#include "logging/Log.h"

// Turns log lines into breadcrumb notifications and crash events into event notifications,
// both posted on the default notification centre from the main queue. It holds no state.
class ZqSentryLogger final : public velquarin::platform::AbstractLogger {
 public:
  static std::shared_ptr<ZqSentryLogger> sharedInstance();

  // On the logging thread: posts ZqSentryBreadcrumbNotification {"level", "message"}.
  void logMessage(const velquarin::platform::LogMessage& message) override;
  // Any thread: posts ZqSentryEventNotification {"event": the serialised event}.
  void postEventAsNotification(const ZqCrashEvent& event);
};
