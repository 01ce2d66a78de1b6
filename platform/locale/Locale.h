#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velquarin::platform {

class Locale {
 public:
  // The user's languages as tags ("de-CH"), in the order the system applies them: LANGUAGE
  // (a colon-separated list, honoured unless the messages locale is C), then LC_ALL,
  // LC_MESSAGES and LANG. Duplicates are dropped; never empty ("en" when nothing is set).
  static std::vector<std::string> preferredLanguages();

  // A locale name ("de_CH.UTF-8", "sr_RS@latin") as a language tag ("de-CH", "sr-Latn-RS");
  // nothing for C, POSIX, empty or malformed names.
  static std::optional<std::string> languageTag(std::string_view locale);
};

}  // namespace velquarin::platform
