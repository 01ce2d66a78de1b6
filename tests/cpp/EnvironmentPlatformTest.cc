#include <gtest/gtest.h>

#include "ScopedEnvironment.h"
#include "locale/Locale.h"
#include "systemversion/SystemVersion.h"

using velquarin::platform::Locale;
using velquarin::platform::SystemVersion;

namespace {

void setLocale(ScopedEnvironment& environment, std::optional<std::string> language,
               std::optional<std::string> all, std::optional<std::string> messages,
               std::optional<std::string> lang) {
  environment.set("LANGUAGE", language);
  environment.set("LC_ALL", all);
  environment.set("LC_MESSAGES", messages);
  environment.set("LANG", lang);
}

using List = std::vector<std::string>;

}  // namespace

TEST(Locale, LocaleNamesBecomeLanguageTags) {
  EXPECT_EQ(Locale::languageTag("de_CH.UTF-8"), "de-CH");
  EXPECT_EQ(Locale::languageTag("fr"), "fr");
  EXPECT_EQ(Locale::languageTag("ca_ES@valencia"), "ca-ES");
  EXPECT_EQ(Locale::languageTag("sr_RS@latin"), "sr-Latn-RS");
  EXPECT_EQ(Locale::languageTag("es_419"), "es-419");
  EXPECT_EQ(Locale::languageTag("C.UTF-8"), std::nullopt);
  EXPECT_EQ(Locale::languageTag("POSIX"), std::nullopt);
  EXPECT_EQ(Locale::languageTag(""), std::nullopt);
  EXPECT_EQ(Locale::languageTag("\"];x"), std::nullopt);
  EXPECT_EQ(Locale::languageTag("de_C/H"), std::nullopt);
}

TEST(Locale, PreferredLanguagesFollowTheSystemsOrder) {
  ScopedEnvironment environment;
  setLocale(environment, "de_CH:fr:de_CH", std::nullopt, "en_GB.UTF-8", "it_IT.UTF-8");
  EXPECT_EQ(Locale::preferredLanguages(), (List{"de-CH", "fr", "en-GB", "it-IT"}));

  setLocale(environment, std::nullopt, "pt_BR.UTF-8", std::nullopt, "de_DE.UTF-8");
  EXPECT_EQ(Locale::preferredLanguages(), (List{"pt-BR", "de-DE"}));

  // While messages are in the C locale the C library ignores LANGUAGE.
  setLocale(environment, "de", "C.UTF-8", std::nullopt, std::nullopt);
  EXPECT_EQ(Locale::preferredLanguages(), (List{"en"}));

  setLocale(environment, std::nullopt, std::nullopt, std::nullopt, std::nullopt);
  EXPECT_EQ(Locale::preferredLanguages(), (List{"en"}));

  setLocale(environment, "::", "", "", "nb_NO.UTF-8");
  EXPECT_EQ(Locale::preferredLanguages(), (List{"nb-NO"}));
}

TEST(SystemVersion, VersionIdIsReadFromOsRelease) {
  EXPECT_EQ(SystemVersion::versionIdFromOsRelease("NAME=\"Debian\"\nVERSION_ID=\"12\"\n"), "12");
  EXPECT_EQ(SystemVersion::versionIdFromOsRelease("VERSION_ID=22.04\n"), "22.04");
  EXPECT_EQ(SystemVersion::versionIdFromOsRelease("VERSION_ID='3.19.1'\r\n"), "3.19.1");
  EXPECT_EQ(SystemVersion::versionIdFromOsRelease("# VERSION_ID=1\nID=arch\n"), std::nullopt);
  EXPECT_EQ(SystemVersion::versionIdFromOsRelease("PRETTY_VERSION_ID=9\n"), std::nullopt);
  EXPECT_EQ(SystemVersion::versionIdFromOsRelease("VERSION_ID=\"\"\n"), std::nullopt);
}
