#include "Logging/ZqCrashReporter.h"

#include "Logging/ZqCrashReporterClient.h"
#include "Logging/ZqGetRelease.h"
#include "Logging/ZqSentryLogger.h"
#include "Utilities/ZqLog.h"

#ifndef VELQUARIN_CRASH_REPORTER_DSN
#define VELQUARIN_CRASH_REPORTER_DSN ""
#endif

std::string_view ZqCrashReporterDSN() {
  return VELQUARIN_CRASH_REPORTER_DSN;
}

void ZqSetupCrashReporter(std::string_view dsn) {
  std::string error;
  auto client = ZqCrashReporterClient::create(dsn, error);
  if (!client) ZQ_LOG_ERROR("error starting Sentry Client: %@", error);
  if (client) {
    client->setBeforeSerializeEvent(
        [](ZqCrashEvent& event) { event.releaseName = ZqGetRelease(); });
    client->setShouldSendEvent([](const ZqCrashEvent& event) {
      ZqSentryLogger::sharedInstance()->postEventAsNotification(event);
      return false;  // the client itself never sends anything
    });
  }
  ZqCrashReporterClient::setSharedClient(client);
  ZqAddLogger(std::make_shared<ZqSentryLogger>());
  if (!client || !client->startCrashHandler(error)) {
    ZQ_LOG_ERROR("Unable to start crash handler! %@", error);
  }
  ZQ_LOG_INFO("Crash handler installed.");
}

void ZqTestCrash() {
  if (auto client = ZqCrashReporterClient::sharedClient()) client->crash();
}
