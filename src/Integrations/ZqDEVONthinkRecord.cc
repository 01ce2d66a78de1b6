#include "Integrations/ZqDEVONthinkRecord.h"

#include <ctime>
#include <filesystem>

#include "Integrations/ZqInstalledBundleId.h"
#include "Utilities/ZqLog.h"
#include "bundle/Bundle.h"
#include "runloop/Clock.h"
#include "strings/StringTables.h"

using nlohmann::json;

namespace {

constexpr const char* kImport = "import:from:name:placeholders:to:type:";

json optionalText(const std::optional<std::string>& text) {
  return text ? json(*text) : json(nullptr);
}

std::optional<ZqSBApplication> installedApplication() {
  const auto id = ZqDEVONthinkRecord::installedBundleId();
  return id ? ZqSBApplication::applicationWithBundleIdentifier(*id) : std::nullopt;
}

std::optional<std::string> importFile(const std::optional<ZqSBApplication>& application,
                                      const std::optional<std::string>& path,
                                      const std::optional<std::string>& name,
                                      const std::optional<std::string>& group) {
  if (!application) return std::nullopt;
  const json arguments = {optionalText(path),  nullptr,
                          optionalText(name),  nullptr,
                          optionalText(group), ZqDEVONthinkRecord::kTypeAll};
  return ZqSBApplication::objectOf(application->send(kZqSBApplicationObject, kImport, arguments));
}

std::string lastPathComponent(const std::string& path) {
  return std::filesystem::path(path).filename().string();
}

}  // namespace

std::optional<std::string> ZqDEVONthinkRecord::installedBundleId() {
  return ZqFirstInstalledBundleId(
      {"com.devon-technologies.think3", "com.devon-technologies.thinkpro2"});
}

bool ZqDEVONthinkRecord::isInstalled() {
  return installedBundleId().has_value();
}

std::shared_ptr<ZqDEVONthinkRecord> ZqDEVONthinkRecord::recordWithTitle(
    const std::optional<std::string>& title, const std::optional<std::string>& sourceURL,
    const std::optional<std::string>& path) {
  auto application = installedApplication();
  auto record = importFile(application, path, title, std::nullopt);
  if (record) {
    application->send(*record, "setURL:", json::array({optionalText(sourceURL)}));
    application->send(kZqSBApplicationObject, "createThumbnailFor:", json::array({*record}));
  }
  return std::make_shared<ZqDEVONthinkRecord>(std::move(application), std::move(record));
}

std::string ZqDEVONthinkRecord::importGroupName(double seconds) {
  const std::time_t time = static_cast<std::time_t>(seconds);
  std::tm local{};
  char stamp[32] = {};
  tzset();  // the zone may have changed since the last call
  if (!localtime_r(&time, &local) ||
      std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local) == 0) {
    stamp[0] = '\0';
  }
  const std::string format = velquarin::platform::localizedString(
      *velquarin::platform::Bundle::main(), "Velquarin Import %@", "Velquarin Import %@");
  const auto at = format.find("%@");
  if (at == std::string::npos) return format;
  return format.substr(0, at) + stamp + format.substr(at + 2);
}

std::shared_ptr<ZqDEVONthinkRecord> ZqDEVONthinkRecord::importFiles(
    const std::vector<std::string>& paths) {
  if (paths.empty()) return nullptr;
  return importFiles(paths, installedApplication(), velquarin::platform::Clock::now());
}

std::shared_ptr<ZqDEVONthinkRecord> ZqDEVONthinkRecord::importFiles(
    const std::vector<std::string>& paths, const std::optional<ZqSBApplication>& application,
    double now) {
  if (paths.empty()) return nullptr;
  if (paths.size() == 1) {
    auto record = importFile(application, paths[0], lastPathComponent(paths[0]), std::nullopt);
    return std::make_shared<ZqDEVONthinkRecord>(application, std::move(record));
  }
  std::optional<std::string> group;
  if (application) {
    const auto name = importGroupName(now);
    const auto database =
        ZqSBApplication::objectOf(application->send(kZqSBApplicationObject, "currentDatabase"));
    group = ZqSBApplication::objectOf(application->send(
        kZqSBApplicationObject, "createLocation:in:", json::array({name, optionalText(database)})));
  }
  for (const auto& path : paths) importFile(application, path, lastPathComponent(path), group);
  return std::make_shared<ZqDEVONthinkRecord>(application, std::move(group));
}

void ZqDEVONthinkRecord::setWebURL(const std::optional<std::string>& url) const {
  if (!application_ || !record_) return;
  application_->send(*record_, "setAliases:", json::array({optionalText(url)}));
}

void ZqDEVONthinkRecord::openRecordWindow() const {
  if (!application_ || !record_) return;
  const auto answer = application_->send(
      kZqSBApplicationObject, "openWindowForRecord:force:", json::array({*record_, true}));
  if (answer.raised) {
    ZQ_LOG_INFO("Using old DEVONThink method of opening record in window");
    application_->send(kZqSBApplicationObject, "openWindowForRecord:", json::array({*record_}));
  }
  application_->send(kZqSBApplicationObject, "activate");
}
