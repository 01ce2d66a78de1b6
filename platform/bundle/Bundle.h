#pragma once

#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

namespace velquarin::platform {

// An application bundle: a directory holding Info.plist and a Resources folder.
class Bundle {
 public:
  // Reads `path`/Info.plist; a bundle without a readable Info.plist has an empty dictionary.
  static std::shared_ptr<const Bundle> load(const std::string& path);

  // The main bundle: the path set by the host, else $VELQUARIN_BUNDLE_PATH, else the sample
  // bundle installed beside the platform library.
  static std::shared_ptr<const Bundle> main();
  static void setMainPath(const std::string& path);

  const std::string& path() const { return path_; }
  std::string resourcesPath() const;
  const nlohmann::json& infoDictionary() const { return info_; }
  // A string entry of the information dictionary; nullopt when missing or not a string.
  std::optional<std::string> infoString(const std::string& key) const;
  std::optional<std::string> identifier() const { return infoString("CFBundleIdentifier"); }
  // The path of Resources/`name`.`extension` when that file exists.
  std::optional<std::string> pathForResource(const std::string& name,
                                             const std::string& extension) const;

  Bundle(std::string path, nlohmann::json info);

 private:
  std::string path_;
  nlohmann::json info_;
};

}  // namespace velquarin::platform
