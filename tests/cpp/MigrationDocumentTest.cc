#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "Migration/ZqGrowingText.h"
#include "Migration/ZqMigration.h"
#include "ScopedEnvironment.h"
#include "TempFolder.h"
#include "Utilities/ZqJSON.h"

namespace fs = std::filesystem;

namespace {

const std::string kFixtures = std::string(VELQUARIN_SOURCE_DIR) + "/tests/fixtures/migration/";

// A configuration folder laid out as the previous version left it.
class PreviousVersion {
 public:
  PreviousVersion() {
    environment_.set("XDG_CONFIG_HOME", config_.path());
    environment_.set("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + config_ / "no-bus");
    fs::create_directories(folder() + "/Preferences");
  }
  std::string folder() const { return config_ / "Velquarin 3"; }
  void copy(const std::string& fixture, const std::string& name) {
    fs::copy_file(kFixtures + fixture, folder() + "/" + name, fs::copy_options::overwrite_existing);
  }
  void write(const std::string& name, const std::string& text) {
    std::ofstream(folder() + "/" + name, std::ios::binary) << text;
  }

 private:
  TempFolder config_;
  ScopedEnvironment environment_;
};

const std::string kPrefs = "Preferences/io.velquarin.classic.plist";

// The text written record by record must be the text of the whole document, for every
// selection.
void expectTextMatchesDocument(const char* what) {
  const ZqMigration migration;
  for (const std::optional<std::string>& sections :
       std::vector<std::optional<std::string>>{std::nullopt, "", "accounts", "workspaces", "prefs",
                                               "accountsworkspaces", "prefs, accounts"}) {
    SCOPED_TRACE(std::string(what) + " / " + sections.value_or("(all)"));
    const auto document = migration.documentForSections(sections);
    const auto text = migration.documentTextForSections(sections);
    ASSERT_EQ(document.has_value(), text.has_value());
    if (!text) continue;
    EXPECT_EQ(text->view(), *ZqConvertToJSONString(*document));
  }
}

}  // namespace

TEST(MigrationDocument, TextIsTheWholeDocumentsText) {
  PreviousVersion previous;
  expectTextMatchesDocument("no previous version");
  previous.copy("Accounts.xml", "Accounts.xml");
  previous.copy("WorkspaceStates.xml", "WorkspaceStates.xml");
  previous.copy("previous-preferences.binary.plist", kPrefs);
  expectTextMatchesDocument("fixtures");
  const auto text = ZqMigration().documentTextForSections(std::nullopt);
  ASSERT_TRUE(text);
  // Non-empty sections, so the comparison above covers records and separators.
  EXPECT_NE(text->view().find("\"bookmarks\":[{\"order\":10,"), std::string_view::npos);
  EXPECT_NE(text->view().find("},{\"active?\":false,\"tabs\":[{\"app\":\"Calendar\""),
            std::string_view::npos);
  EXPECT_NE(text->view().find("\"prefs\":{\"HideTabBar\":true}"), std::string_view::npos);
  previous.copy("EmptyAccounts.xml", "Accounts.xml");
  expectTextMatchesDocument("no accounts");
}

TEST(MigrationDocument, ValueJSONCannotHoldNullsTheText) {
  PreviousVersion previous;
  previous.copy("Accounts.xml", "Accounts.xml");
  previous.write(
      kPrefs,
      "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>HideTabBar</key><true/>"
      "<key>DownloadDestinationPath</key><date>2020-01-01T00:00:00Z</date></dict></plist>");
  expectTextMatchesDocument("date preference");
  EXPECT_FALSE(ZqMigration().documentTextForSections(std::nullopt));
  EXPECT_TRUE(ZqMigration().documentTextForSections("accounts"));
}

TEST(MigrationDocument, GrowingTextKeepsEveryByte) {
  ZqGrowingText text;
  EXPECT_EQ(text.view(), "");
  std::string expected;
  // Pieces of odd sizes across several growths, one larger than the whole buffer so far.
  for (int i = 0; i < 3000; ++i) {
    const std::string piece(static_cast<std::size_t>(i % 97), static_cast<char>('a' + i % 26));
    text += piece;
    text += ',';
    expected += piece;
    expected += ',';
  }
  const std::string large(1 << 20, 'x');
  text += large;
  expected += large;
  EXPECT_EQ(text.size(), expected.size());
  EXPECT_EQ(text.view(), expected);
  ZqGrowingText moved = std::move(text);
  EXPECT_EQ(moved.view(), expected);
}
