#include "Services/ZqTextReplacementSettings.h"

#include "Utilities/ZqJSONFromPlistValue.h"
#include "Utilities/ZqLog.h"
#include "defaults/UserDefaults.h"

using velquarin::platform::UserDefaults;

std::optional<nlohmann::json> ZqTextReplacementSettings() {
  const auto application = UserDefaults::standard();
  const auto appDash = application->boolValue("WebAutomaticDashSubstitutionEnabled");
  const auto appReplacements = application->boolValue("WebAutomaticTextReplacementEnabled");
  ZQ_SYSTEM_LOG("localeDashSubstitution: %@: %@", appDash, appReplacements);

  const auto global = UserDefaults::global();
  nlohmann::json settings = nlohmann::json::object();
  if (appReplacements && !*appReplacements) {
    settings["text-replacements"] = nlohmann::json::array();
  } else if (auto items = global->value("NSUserDictionaryReplacementItems")) {
    auto converted = ZqJSONFromPlistValue(*items);
    if (!converted) return std::nullopt;
    settings["text-replacements"] = std::move(*converted);
  }
  if (auto dash = appDash ? appDash : global->boolValue("NSAutomaticDashSubstitutionEnabled")) {
    settings["dash-substitution?"] = *dash;
  }
  if (auto period = global->boolValue("NSAutomaticPeriodSubstitutionEnabled")) {
    settings["period-substitution?"] = *period;
  }
  return settings;
}
