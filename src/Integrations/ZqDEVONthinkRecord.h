#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Integrations/ZqSBApplication.h"

// A record (or group) the archive application made through its scripting interface. Without
// an application object, or when an import answered nothing, there is no record and the
// calls on it do nothing, as messages to nothing do on the desktop.
class ZqDEVONthinkRecord {
 public:
  static constexpr std::uint32_t kTypeAll = 0x616C6C20;  // 'all '

  static std::optional<std::string> installedBundleId();
  static bool isInstalled();

  static std::shared_ptr<ZqDEVONthinkRecord> recordWithTitle(
      const std::optional<std::string>& title, const std::optional<std::string>& sourceURL,
      const std::optional<std::string>& path);
  // One file as a record of its own; several into a new group named for the moment of the
  // import. Null for no paths.
  static std::shared_ptr<ZqDEVONthinkRecord> importFiles(const std::vector<std::string>& paths);
  // The same with the application and the time (seconds since the epoch) given.
  static std::shared_ptr<ZqDEVONthinkRecord> importFiles(
      const std::vector<std::string>& paths, const std::optional<ZqSBApplication>& application,
      double now);
  // "Velquarin Import yyyy-MM-dd HH:mm:ss" for a time (seconds since the epoch), local time.
  static std::string importGroupName(double seconds);

  void setWebURL(const std::optional<std::string>& url) const;
  void openRecordWindow() const;

  const std::optional<std::string>& record() const { return record_; }

  ZqDEVONthinkRecord(std::optional<ZqSBApplication> application, std::optional<std::string> record)
      : application_(std::move(application)), record_(std::move(record)) {}

 private:
  std::optional<ZqSBApplication> application_;
  std::optional<std::string> record_;
};
