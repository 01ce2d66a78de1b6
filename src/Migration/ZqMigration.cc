#include "Migration/ZqMigration.h"

#include <malloc.h>
#include <sys/stat.h>

#include <array>
#include <fstream>
#include <iterator>

#include "Extensions/NSApplication+ZqExtensions.h"
#include "Migration/ZqAccounts.h"
#include "Migration/ZqWorkspaceStates.h"
#include "Utilities/ZqJSONFromPlistValue.h"
#include "Utilities/ZqLog.h"

using velquarin::platform::PlistDictionary;
using velquarin::platform::PlistValue;

namespace {

constexpr std::array<const char*, 14> kPreferenceKeys = {
    "DoNotDisturb",
    "AskForPhotoOptimizationSettings",
    "AutomaticallyOpenSafeDownloads",
    "ConvertImagesToFileType",
    "DisplayStatusItem",
    "DownloadDestinationPath",
    "DownloadsAskForDestination",
    "HideTabBar",
    "InsertImagesInline",
    "PrintWithGmailHeader",
    "ScaleImagesToMaxDimension",
    "ShowStatusBar",
    "WebViewTextSizeMultiplier",
    "DefaultSenderAccountIdentifier",
};

// Preference files are small; anything beyond this is not one.
constexpr std::size_t kMaxPreferencesBytes = 16u << 20;

bool fileExists(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0;
}

// The user's configuration folder (the desktop's counterpart of application support).
std::optional<std::string> userApplicationSupportDirectory() {
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config == '/') return config;
  if (auto home = zq_homeDirectory()) return *home + "/.config";
  return std::nullopt;
}

std::optional<std::string> readSmallFile(const std::string& path, std::size_t limit) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) ||
      static_cast<std::uint64_t>(info.st_size) > limit) {
    return std::nullopt;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (bytes.size() > limit) return std::nullopt;
  return bytes;
}

}  // namespace

std::string ZqMigration::previousVersionAppSupportFolder() const {
  const auto base = userApplicationSupportDirectory();
  return (base ? *base : zq_temporaryDirectory()) + "/Velquarin 3";
}

std::string ZqMigration::accountsPath() const {
  return previousVersionAppSupportFolder() + "/Accounts.xml";
}

std::string ZqMigration::workspaceStatesPath() const {
  return previousVersionAppSupportFolder() + "/WorkspaceStates.xml";
}

// The previous version kept its preferences beside its data, as this version keeps its own.
std::string ZqMigration::previousPreferencesPath() const {
  return previousVersionAppSupportFolder() + "/Preferences/" + kPreviousBundleIdentifier + ".plist";
}

bool ZqMigration::hasPreviousVersion() const {
  return fileExists(accountsPath());
}

bool ZqMigration::hasAccounts() const {
  return !ZqAccounts(accountsPath()).all().empty();
}

bool ZqMigration::eachAccountRecord(const RecordSink& sink) const {
  if (!hasPreviousVersion()) return true;
  ZqAccounts store(accountsPath());
  for (const ZqAccount& account : store.all()) {
    auto record = account.dictionaryWithValues();
    if (!record || !sink(std::move(*record))) return false;
  }
  return true;
}

bool ZqMigration::eachWorkspace(const RecordSink& sink) const {
  if (!hasPreviousVersion()) return true;
  ZqWorkspaceStates store(workspaceStatesPath());
  for (const ZqWorkspaceState& state : store.all()) {
    // A workspace or tab the export cannot describe is left out so the rest still migrates.
    const zq_graph::Value* active = state.active();
    if (!active || !active->truth()) {
      ZQ_LOG_WARN("Skipping workspace state %@ without an active value",
                  state.object()->objectID());
      continue;
    }
    nlohmann::json tabs = nlohmann::json::array();
    for (const ZqGoogleAppState& appState : state.appStates()) {
      const auto text = appState.identifier();
      const auto identifier =
          text ? ZqGoogleAppIdentifier::tryIdentifierWithDescription(*text) : std::nullopt;
      if (!identifier) {
        ZQ_LOG_WARN("Skipping tab %@ with an unknown app identifier (%@)",
                    appState.object()->objectID(), text.value_or(""));
        continue;
      }
      tabs.push_back({{"email", identifier->accountIdentifier()}, {"app", identifier->type()}});
    }
    if (!sink({{"active?", *active->truth()}, {"tabs", std::move(tabs)}})) return false;
  }
  return true;
}

std::optional<nlohmann::json> ZqMigration::accountsAsDictionaries() const {
  nlohmann::json accounts = nlohmann::json::array();
  const bool ok = eachAccountRecord([&](nlohmann::json&& record) {
    accounts.push_back(std::move(record));
    return true;
  });
  if (!ok) return std::nullopt;
  return accounts;
}

nlohmann::json ZqMigration::workspaces() const {
  nlohmann::json workspaces = nlohmann::json::array();
  eachWorkspace([&](nlohmann::json&& workspace) {
    workspaces.push_back(std::move(workspace));
    return true;
  });
  return workspaces;
}

PlistDictionary ZqMigration::userDefaults() const {
  PlistDictionary preferences;
  const auto bytes = readSmallFile(previousPreferencesPath(), kMaxPreferencesBytes);
  const auto parsed = bytes ? velquarin::platform::parsePlistValue(*bytes) : std::nullopt;
  const PlistDictionary* stored = parsed ? parsed->asDictionary() : nullptr;
  if (!stored) return preferences;
  for (const char* key : kPreferenceKeys) {
    if (auto found = stored->find(key); found != stored->end()) {
      preferences.emplace(key, found->second);
    }
  }
  return preferences;
}

std::optional<nlohmann::json> ZqMigration::documentForSections(
    const std::optional<std::string>& sections) const {
  const auto wants = [&](const char* section) {
    return !sections || sections->find(section) != std::string::npos;
  };
  nlohmann::json document = nlohmann::json::object();
  document["has-previous-version?"] = hasPreviousVersion();
  if (wants("accounts")) {
    auto accounts = accountsAsDictionaries();
    if (!accounts) return std::nullopt;
    document["accounts"] = std::move(*accounts);
  }
  if (wants("workspaces")) document["workspaces"] = workspaces();
  if (wants("prefs")) {
    auto prefs = ZqJSONFromPlistValue(PlistValue(userDefaults()));
    if (!prefs) return std::nullopt;
    document["prefs"] = std::move(*prefs);
  }
  return document;
}

namespace {

// Appends the compact JSON text of a value. A value that cannot be written (text that is not
// UTF-8) is logged without the account's password.
bool appendJSON(ZqGrowingText& text, const nlohmann::json& value) {
  try {
    text += value.dump();
    return true;
  } catch (const std::exception& error) {
    nlohmann::json shown = value;
    if (shown.is_object() && shown.contains("password") && !shown["password"].is_null()) {
      shown["password"] = "<hidden>";
    }
    ZQ_LOG_ERROR("Couldn't convert %@ to JSON because of %@",
                 shown.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace),
                 error.what());
    return false;
  }
}

}  // namespace

std::optional<ZqGrowingText> ZqMigration::documentTextForSections(
    const std::optional<std::string>& sections) const {
  const auto wants = [&](const char* section) {
    return !sections || sections->find(section) != std::string::npos;
  };
  const auto appendArray = [&](ZqGrowingText& text,
                               bool (ZqMigration::*each)(const RecordSink&) const) {
    text += '[';
    bool first = true;
    const bool ok = (this->*each)([&](nlohmann::json&& record) {
      if (!first) text += ',';
      first = false;
      return appendJSON(text, record);
    });
    text += ']';
    return ok;
  };
  // The keys in the order a JSON object of the library writes them (sorted), so the text is
  // the one the whole document would give.
  ZqGrowingText text;
  text += '{';
  if (wants("accounts")) {
    text += "\"accounts\":";
    if (!appendArray(text, &ZqMigration::eachAccountRecord)) return std::nullopt;
    text += ',';
#ifdef __GLIBC__
    // The accounts graph is gone: hand its pages back before the host copies the text.
    malloc_trim(0);
#endif
  }
  text += "\"has-previous-version?\":";
  text += hasPreviousVersion() ? "true" : "false";
  if (wants("prefs")) {
    auto prefs = ZqJSONFromPlistValue(PlistValue(userDefaults()));
    text += ",\"prefs\":";
    if (!prefs || !appendJSON(text, *prefs)) return std::nullopt;
  }
  if (wants("workspaces")) {
    text += ",\"workspaces\":";
    if (!appendArray(text, &ZqMigration::eachWorkspace)) return std::nullopt;
  }
  text += '}';
  return std::optional<ZqGrowingText>(std::move(text));
}
