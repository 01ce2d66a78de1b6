#include "Integrations/ZqSBApplication.h"

using velquarin::platform::ScriptableApplications;
using velquarin::platform::ScriptingAnswer;

std::optional<ZqSBApplication> ZqSBApplication::applicationWithBundleIdentifier(
    const std::string& id) {
  if (!ScriptableApplications::contains(id)) return std::nullopt;
  return ZqSBApplication(id);
}

bool ZqSBApplication::respondsToSelector(const std::string& selector) const {
  return ScriptableApplications::responds(id_, selector);
}

ScriptingAnswer ZqSBApplication::send(const std::string& receiver, const std::string& selector,
                                      nlohmann::json arguments) const {
  return ScriptableApplications::send(id_, receiver, selector, std::move(arguments));
}

std::optional<std::string> ZqSBApplication::objectOf(const ScriptingAnswer& answer) {
  if (answer.raised || !answer.result.is_string()) return std::nullopt;
  return answer.result.get<std::string>();
}
