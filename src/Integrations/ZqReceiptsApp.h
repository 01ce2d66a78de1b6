#pragma once

#include <optional>
#include <string>

// The receipts manager, handed message files by opening them with it.
class ZqReceiptsApp {
 public:
  static constexpr const char* kBundleId = "com.apperdeck.mac.Receipts";
  static std::optional<std::string> installedBundleId();
  static bool isInstalled() { return installedBundleId().has_value(); }
  // The application's desktop entry; nothing when it is not installed.
  static std::optional<std::string> urlForApplication();
  static void importEMLWithPath(const std::string& path);
};
