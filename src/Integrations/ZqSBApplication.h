#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "scripting/ScriptableApplications.h"

// Another application's scripting interface, reached by its bundle identifier. There is an
// application object only when that application offers one. Receivers are "application"
// or the object ids the application answered with. Any thread.
class ZqSBApplication {
 public:
  static std::optional<ZqSBApplication> applicationWithBundleIdentifier(const std::string& id);

  bool respondsToSelector(const std::string& selector) const;
  velquarin::platform::ScriptingAnswer send(
      const std::string& receiver, const std::string& selector,
      nlohmann::json arguments = nlohmann::json::array()) const;
  // The object an answer names, when it names one and nothing was raised.
  static std::optional<std::string> objectOf(const velquarin::platform::ScriptingAnswer& answer);

  const std::string& bundleIdentifier() const { return id_; }

 private:
  explicit ZqSBApplication(std::string id) : id_(std::move(id)) {}
  std::string id_;
};

inline constexpr const char* kZqSBApplicationObject = "application";
