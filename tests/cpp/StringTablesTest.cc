#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "Migration/ZqGoogleAppIdentifier.h"
#include "ScopedEnvironment.h"
#include "TempFolder.h"
#include "bundle/Bundle.h"
#include "strings/StringTables.h"

using velquarin::platform::Bundle;
using velquarin::platform::localizedString;

namespace {

void writeTable(const TempFolder& bundle, const std::string& language, const std::string& body) {
  const std::string folder = bundle / ("Resources/" + language + ".lproj");
  std::filesystem::create_directories(folder);
  std::ofstream(folder + "/Localizable.strings", std::ios::binary)
      << "<?xml version=\"1.0\" encoding=\"UTF-8\"?><plist version=\"1.0\"><dict>" << body
      << "</dict></plist>";
}

// The main bundle and the user's languages for one test.
class LocalizedBundle {
 public:
  LocalizedBundle() : previous_(Bundle::main()->path()) {
    writeTable(bundle_, "de",
               "<key>Google Inbox</key><string>Google-Posteingang</string>"
               "<key>Calendar</key><string>Kalender</string>"
               "<key>Contacts</key><integer>3</integer>");
    writeTable(bundle_, "pt_BR", "<key>Calendar</key><string>Calendário</string>");
    std::filesystem::create_directories(bundle_ / "Resources/fr.lproj");
    std::ofstream(bundle_ / "Resources/fr.lproj/Localizable.strings") << "\"Calendar\" = ";
    Bundle::setMainPath(bundle_.path());
  }
  ~LocalizedBundle() { Bundle::setMainPath(previous_); }
  void languages(const std::string& list) {
    environment_.set("LANGUAGE", list);
    environment_.set("LC_ALL", std::nullopt);
    environment_.set("LC_MESSAGES", std::nullopt);
    environment_.set("LANG", "en_US.UTF-8");
  }

 private:
  std::string previous_;
  TempFolder bundle_;
  ScopedEnvironment environment_;
};

}  // namespace

TEST(StringTables, AppLabelsInTheUsersLanguage) {
  LocalizedBundle bundle;
  const auto inbox = ZqGoogleAppIdentifier::googleInboxIdentifierWithAccountIdentifier("a");
  const auto gmail = ZqGoogleAppIdentifier::gmailIdentifierWithAccountIdentifier("a");
  const auto calendar = ZqGoogleAppIdentifier::calendarIdentifierWithAccountIdentifier("a");
  const auto contacts = ZqGoogleAppIdentifier::contactsIdentifierWithAccountIdentifier("a");

  bundle.languages("de_AT:en");  // a region without a table of its own uses the language's
  EXPECT_EQ(inbox.typeLabel(), "Google-Posteingang");
  EXPECT_EQ(calendar.typeLabel(), "Kalender");
  EXPECT_EQ(gmail.typeLabel(), "Gmail");        // not in the table: the English name
  EXPECT_EQ(contacts.typeLabel(), "Contacts");  // not a string in the table

  bundle.languages("pt_BR");
  EXPECT_EQ(calendar.typeLabel(), "Calendário");
  bundle.languages("fr:de");  // a table that is not a property list is passed over
  EXPECT_EQ(calendar.typeLabel(), "Kalender");
  bundle.languages("it");
  EXPECT_EQ(inbox.typeLabel(), "Google Inbox");

  auto relabelled = calendar;
  relabelled.setTypeLabel("Agenda");
  EXPECT_EQ(relabelled.typeLabel(), "Agenda");
}

TEST(StringTables, TableNamesStayInTheBundle) {
  LocalizedBundle bundle;
  bundle.languages("de");
  const Bundle& main = *Bundle::main();
  EXPECT_EQ(localizedString(main, "Calendar", "Calendar"), "Kalender");
  EXPECT_EQ(localizedString(main, "Calendar", "Calendar", "../de.lproj/Localizable"), "Calendar");
  EXPECT_EQ(localizedString(main, "Calendar", "Calendar", ""), "Calendar");
  EXPECT_EQ(localizedString(main, "Calendar", "Fallback", "Missing"), "Fallback");
}
