#include "locale/Locale.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace velquarin::platform {
namespace {

bool isAlpha(std::string_view text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isalpha(c); });
}

bool isAlnum(std::string_view text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isalnum(c); });
}

std::string lower(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return out;
}

std::string upper(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return out;
}

std::string_view environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::string_view(value) : std::string_view();
}

}  // namespace

std::optional<std::string> Locale::languageTag(std::string_view locale) {
  // language[_territory][.codeset][@modifier]
  std::string_view modifier;
  if (auto at = locale.find('@'); at != std::string_view::npos) {
    modifier = locale.substr(at + 1);
    locale = locale.substr(0, at);
  }
  if (auto dot = locale.find('.'); dot != std::string_view::npos) locale = locale.substr(0, dot);
  std::string_view territory;
  if (auto underscore = locale.find('_'); underscore != std::string_view::npos) {
    territory = locale.substr(underscore + 1);
    locale = locale.substr(0, underscore);
  }
  if (locale == "C" || locale == "POSIX") return std::nullopt;
  if (locale.size() < 2 || locale.size() > 8 || !isAlpha(locale)) return std::nullopt;
  if (!territory.empty() && (territory.size() > 3 || !isAlnum(territory))) return std::nullopt;

  std::string tag = lower(locale);
  // The script modifiers glibc uses; other modifiers (euro, valencia...) carry no script.
  if (modifier == "latin") tag += "-Latn";
  if (modifier == "cyrillic") tag += "-Cyrl";
  if (!territory.empty()) tag += "-" + upper(territory);
  return tag;
}

std::vector<std::string> Locale::preferredLanguages() {
  std::vector<std::string> tags;
  auto add = [&tags](std::string_view locale) {
    auto tag = languageTag(locale);
    if (tag && std::find(tags.begin(), tags.end(), *tag) == tags.end()) tags.push_back(*tag);
  };

  // The messages locale as the C library picks it: the first of these that is set.
  std::string_view messages;
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    if (!environment(name).empty()) {
      messages = environment(name);
      break;
    }
  }
  // The C library ignores LANGUAGE while the messages locale is C.
  const bool plainC = messages.empty() || messages == "C" || messages == "POSIX" ||
                      messages.starts_with("C.") || messages.starts_with("POSIX.");
  if (!plainC) {
    std::string_view list = environment("LANGUAGE");
    while (!list.empty()) {
      const auto colon = list.find(':');
      add(list.substr(0, colon));
      list = colon == std::string_view::npos ? std::string_view() : list.substr(colon + 1);
    }
  }
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) add(environment(name));
  if (tags.empty()) tags.emplace_back("en");
  return tags;
}

}  // namespace velquarin::platform
