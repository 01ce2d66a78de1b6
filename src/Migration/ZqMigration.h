#pragma once

#include <functional>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "Migration/ZqGrowingText.h"
#include "plist/PlistValue.h"

// What the previous major version left: its folder, its two stores and its preferences.
// Reads only; every call opens the stores afresh.
class ZqMigration {
 public:
  // The previous version's bundle identifier, which names its preferences file.
  static constexpr const char* kPreviousBundleIdentifier = "io.velquarin.classic";

  std::string previousVersionAppSupportFolder() const;
  std::string accountsPath() const;
  std::string workspaceStatesPath() const;
  std::string previousPreferencesPath() const;

  bool hasPreviousVersion() const;
  bool hasAccounts() const;
  // nullopt when an account holds a value JSON cannot carry.
  std::optional<nlohmann::json> accountsAsDictionaries() const;
  nlohmann::json workspaces() const;
  // The carried-over preferences as stored (dates and data included).
  velquarin::platform::PlistDictionary userDefaults() const;

  // The migration document for a section selection (nullopt selects all); nullopt when it
  // cannot be written as JSON.
  std::optional<nlohmann::json> documentForSections(
      const std::optional<std::string>& sections) const;
  // The same document as compact JSON text, written record by record so that a large store
  // never has its whole document in memory next to its object graph and its text.
  std::optional<ZqGrowingText> documentTextForSections(
      const std::optional<std::string>& sections) const;

 private:
  // Hand each account record (each workspace object) to the sink in export order; false when
  // a record cannot be made or the sink refuses it.
  using RecordSink = std::function<bool(nlohmann::json&&)>;
  bool eachAccountRecord(const RecordSink& sink) const;
  bool eachWorkspace(const RecordSink& sink) const;
};
