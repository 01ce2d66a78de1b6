#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "Contacts/ZqRecipient.h"
#include "Migration/ZqAccounts.h"
#include "Migration/ZqGoogleAppIdentifier.h"
#include "Migration/ZqWorkspaceStates.h"
#include "TempFolder.h"
#include "files/DataWriter.h"

namespace fs = std::filesystem;

namespace {

const std::string kFixtures = std::string(VELQUARIN_SOURCE_DIR) + "/tests/fixtures/migration/";

void writeFile(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

std::string copyFixture(const TempFolder& folder, const std::string& name) {
  fs::copy_file(kFixtures + name, folder / name);
  return folder / name;
}

// A store body of the real layout around `objects`.
std::string store(const std::string& objects, const std::string& prologue = "") {
  return "<?xml version=\"1.0\"?>\n" + prologue +
         "<database><databaseInfo><version>134481920</version><nextObjectID>200</nextObjectID>"
         "</databaseInfo>" +
         objects + "</database>";
}

}  // namespace

// Order, flags, bookmarks and the exported record are pinned by tests/js/migration.test.js.
TEST(MigrationStore, LookupsRecipientsAndSignatures) {
  ZqAccounts accounts(kFixtures + "Accounts.xml");
  auto ann = accounts.findByUsername("ann@example.com");
  ASSERT_TRUE(ann);
  EXPECT_EQ(accounts.findByNickname("Ann")->object(), ann->object());
  EXPECT_FALSE(accounts.findByUsername("ann@example.com", ann));
  EXPECT_FALSE(accounts.findByUsername("nobody@example.com"));

  const auto bcc = ann->autoBccRecipients();
  ASSERT_EQ(bcc.size(), 2u);
  EXPECT_EQ(bcc[0].address(), "archive@example.com");
  EXPECT_EQ(bcc[1].address(), "log@example.com");
  EXPECT_TRUE(accounts.findByUsername("zoe@example.com")->autoBccRecipients().empty());

  ASSERT_EQ(ann->signaturesForEmail(std::nullopt).size(), 1u);
  EXPECT_EQ(ann->signatureForEmail("ann@example.com", "Work")->richContents(), "<b>Ann</b>");
  EXPECT_FALSE(ann->signatureForEmail("ann@example.com", "Home"));
}

TEST(MigrationStore, DownloadItems) {
  TempFolder folder;
  ZqAccounts accounts(copyFixture(folder, "Accounts.xml"));
  ZqAccount ann = *accounts.findByUsername("ann@example.com");
  const auto sorted = ann.downloadItemsSortedByDefault();
  ASSERT_EQ(sorted.size(), 2u);
  EXPECT_EQ(sorted[0].path(), "/tmp/half.zip");
  EXPECT_FALSE(sorted[0].isFinished());
  EXPECT_DOUBLE_EQ(sorted[0].progressInPercents(), 25.0);
  EXPECT_TRUE(sorted[1].isFinished());
  EXPECT_EQ(sorted[1].name(), "done.pdf");

  ZqDownloadItem fresh = ann.addDownloadItemWithPath(folder / "new file.bin");
  EXPECT_FALSE(fresh.isFinished());
  EXPECT_EQ(fresh.expectedBytes(), -1);
  EXPECT_DOUBLE_EQ(fresh.progressInPercents(), 0.0);
  EXPECT_EQ(fresh.previewItemURL(), "file://" + folder.path() + "/new%20file.bin");

  // The icon follows what the path is: a folder, or by its name a file not there (yet).
  const auto has = [](const std::optional<std::vector<std::string>>& names, const char* name) {
    return names && std::find(names->begin(), names->end(), name) != names->end();
  };
  EXPECT_TRUE(has(ann.addDownloadItemWithPath(folder.path()).icon(), "folder"));
  EXPECT_TRUE(has(ann.addDownloadItemWithPath(folder / "report.pdf").icon(), "application-pdf"));
  EXPECT_FALSE(has(ann.addDownloadItemWithPath(folder / "report.pdf").icon(), "folder"));
  EXPECT_FALSE(ann.addDownloadItemWithPath("").icon());
  ann.deleteAllDownloadItems();
  ann.addDownloadItemWithPath(folder / "new file.bin");
  ann.addDownloadItemWithPath("/tmp/half.zip").setExpectedBytes(4);
  ann.addDownloadItemWithPath("/tmp/done.pdf").setExpectedBytes(0);

  EXPECT_EQ(ann.deleteFinishedDownloadItems(), 1);
  EXPECT_EQ(ann.numberOfDownloadItems(), 2u);
  EXPECT_EQ(ann.deletePendingDownloadItems(), 2);
  EXPECT_EQ(ann.numberOfDownloadItems(), 0u);
}

TEST(MigrationStore, SizeTexts) {
  TempFolder folder;
  writeFile(folder / "small", std::string(1023, 'x'));
  writeFile(folder / "larger", std::string(1536, 'x'));
  ZqAccounts accounts(folder / "Accounts.xml");
  ZqAccount account(accounts.context().insert("Account"));
  EXPECT_EQ(account.addDownloadItemWithPath(folder / "small").sizeHumanReadable(), "1023 bytes");
  EXPECT_EQ(account.addDownloadItemWithPath(folder / "larger").sizeHumanReadable(), "1.50 KB");
  EXPECT_EQ(account.addDownloadItemWithPath(folder / "missing").sizeHumanReadable(), "0 bytes");
  EXPECT_EQ(ZqHumanReadableSize(3u << 20), "3.00 MB");
  EXPECT_EQ(ZqHumanReadableSize(5ull << 30), "5.00 GB");
}

TEST(MigrationStore, SavingKeepsWhatTheModelDoesNotKnow) {
  TempFolder folder;
  const std::string path = copyFixture(folder, "Accounts.xml");
  {
    ZqAccounts accounts(path);
    ZqAccount ann = *accounts.findByUsername("ann@example.com");
    EXPECT_EQ(ann.addBookmarkForUrl("https://example.com/40", "Forty").order(), 40);
    ZqAccount bob = *accounts.findByUsername("bob@example.com");
    EXPECT_EQ(bob.addBookmarkForUrl("https://example.com/b", "First").order(), 10);
    std::string error;
    ASSERT_TRUE(accounts.store(&error)) << error;
  }
  const std::string saved = readFile(path);
  for (const char* kept :
       {"legacyfield", "kept as it is", "TEXTSNIPPET", "Kind regards",
        "NSPersistenceFrameworkVersion", "6A1D3F0E-2B4C-4D5E-9F70-81A2B3C4D5E6", "CoreData.dtd"}) {
    EXPECT_NE(saved.find(kept), std::string::npos) << kept;
  }
  ZqAccounts reopened(path);
  ZqAccount ann = *reopened.findByUsername("ann@example.com");
  std::vector<std::string> titles;
  for (const ZqBookmark& bookmark : ann.bookmarksOrdered()) titles.push_back(*bookmark.title());
  EXPECT_EQ(titles, (std::vector<std::string>{"Ten", "Twenty", "Thirty & more", "Forty"}));
  const zq_graph::Value* colour = ann.object()->value("colorData");
  EXPECT_EQ(colour, nullptr);
  const zq_graph::Value* zoeColour =
      reopened.findByUsername("zoe@example.com")->object()->value("colorData");
  ASSERT_NE(zoeColour, nullptr);
  const auto& bytes = std::get<zq_graph::Data>(zoeColour->storage);
  ASSERT_EQ(bytes.size(), 245u);  // the wrapped base64 text of the fixture, decoded
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 8), "bplist00");
  EXPECT_EQ(reopened.findByUsername("zoe@example.com")->color(),
            (zq_graph::Color{0.2, 0.4, 0.6, 1}));
  // New objects take ids the file has not used.
  EXPECT_EQ(reopened.findByUsername("bob@example.com")->bookmarksOrdered().size(), 1u);
}

TEST(MigrationStore, FailedSaveRollsBack) {
  TempFolder folder;
  const std::string path = copyFixture(folder, "Accounts.xml");
  ZqAccounts accounts(path);
  ZqAccount bob = *accounts.findByUsername("bob@example.com");
  bob.addBookmarkForUrl("https://example.com/x", "X");
  velquarin::platform::simulateWriteFailure(ENOSPC);
  std::string error;
  const bool saved = accounts.store(&error);
  velquarin::platform::simulateWriteFailure(0);
  EXPECT_FALSE(saved);
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(accounts.context().hasChanges());
  EXPECT_FALSE(accounts.isAccessible(bob));
  EXPECT_TRUE(accounts.findByUsername("bob@example.com")->bookmarksOrdered().empty());
}

TEST(MigrationStore, HostileFilesAreRefusedWhole) {
  TempFolder folder;
  const std::string laughs =
      "<!DOCTYPE database [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
      "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\"><!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">"
      "<!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\"><!ENTITY f "
      "\"&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;\">]>\n";
  const std::string account =
      "<object type=\"ACCOUNT\" id=\"z1\"><attribute name=\"username\" "
      "type=\"string\">";
  writeFile(folder / "secret.txt", "top secret");
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"billion laughs", store(account + "&f;</attribute></object>", laughs)},
      {"external entity", store(account + "&x;</attribute></object>",
                                "<!DOCTYPE database [<!ENTITY x SYSTEM \"file://" + folder.path() +
                                    "/secret.txt\">]>\n")},
      {"entity in attribute", store("<object type=\"ACCOUNT\" id=\"&x;\"/>",
                                    "<!DOCTYPE database [<!ENTITY x \"z1\">]>\n")},
      {"truncated", store(account + "a@example.com</attribute>").substr(0, 150)},
      {"not a database", "<?xml version=\"1.0\"?><plist/>"},
      {"duplicate id",
       store(account + "a</attribute></object>" + account + "b</attribute></object>")},
      {"dangling idref",
       store("<object type=\"ACCOUNT\" id=\"z1\"><relationship name=\"bookmarks\" type=\"0/0\" "
             "destination=\"BOOKMARK\" idrefs=\"z9\"></relationship></object>")},
      {"wrong attribute type", store("<object type=\"ACCOUNT\" id=\"z1\"><attribute name=\"order\" "
                                     "type=\"string\">first</attribute></object>")},
      {"number that is not one",
       store("<object type=\"ACCOUNT\" id=\"z1\"><attribute name=\"order\" "
             "type=\"int16\">70000</attribute></object>")},
      {"self reference",
       store("<object type=\"BOOKMARK\" id=\"z1\"><relationship name=\"account\" type=\"1/1\" "
             "destination=\"ACCOUNT\" idrefs=\"z1\"></relationship></object>")},
      {"mistyped reference",
       store("<object type=\"ACCOUNT\" id=\"z1\"/><object type=\"SIGNATURE\" id=\"z2\"/>"
             "<object type=\"ACCOUNT\" id=\"z3\"><relationship name=\"bookmarks\" type=\"0/0\" "
             "destination=\"BOOKMARK\" idrefs=\"z2\"></relationship></object>")},
      {"object claimed twice",
       store("<object type=\"BOOKMARK\" id=\"z5\"/>"
             "<object type=\"ACCOUNT\" id=\"z1\"><relationship name=\"bookmarks\" type=\"0/0\" "
             "destination=\"BOOKMARK\" idrefs=\"z5\"></relationship></object>"
             "<object type=\"ACCOUNT\" id=\"z2\"><relationship name=\"bookmarks\" type=\"0/0\" "
             "destination=\"BOOKMARK\" idrefs=\"z5\"></relationship></object>")},
      {"listed twice",
       store("<object type=\"BOOKMARK\" id=\"z5\"/>"
             "<object type=\"ACCOUNT\" id=\"z1\"><relationship name=\"bookmarks\" type=\"0/0\" "
             "destination=\"BOOKMARK\" idrefs=\"z5 z5\"></relationship></object>")},
      // A line break in an attribute reads as a space: "z2 " could not be listed in idrefs.
      {"id with white space",
       store("<object type=\"ACCOUNT\" id=\"z1\"/><object type=\"SIGNATURE\" id=\"z2\n\">"
             "<relationship name=\"account\" type=\"1/1\" destination=\"ACCOUNT\" "
             "idrefs=\"z1\"></relationship></object>")},
      {"bad base64", store("<object type=\"ACCOUNT\" id=\"z1\"><attribute name=\"colordata\" "
                           "type=\"binary\">!!!!</attribute></object>")},
  };
  for (const auto& [name, text] : cases) {
    const std::string path = folder / "Accounts.xml";
    writeFile(path, text);
    ZqAccounts accounts(path);
    EXPECT_FALSE(accounts.context().isAttached()) << name;
    EXPECT_TRUE(accounts.all().empty()) << name;
    EXPECT_FALSE(accounts.findByUsername("a@example.com")) << name;
  }
  // A folder where the file should be, and a file beyond the size cap.
  fs::create_directory(folder / "Folder.xml");
  EXPECT_FALSE(ZqAccounts(folder / "Folder.xml").context().isAttached());
  zq_graph::Context small(ZqAccounts::model(), 64);
  writeFile(folder / "Big.xml", store(account + std::string(100, 'x') + "</attribute></object>"));
  std::string error;
  EXPECT_FALSE(small.attach(folder / "Big.xml", &error));
  EXPECT_NE(error.find("larger than"), std::string::npos);
}

TEST(MigrationStore, MissingFileAttachesAsEmptyStore) {
  TempFolder folder;
  ZqAccounts accounts(folder / "Accounts.xml");
  EXPECT_TRUE(accounts.context().isAttached());
  EXPECT_TRUE(accounts.all().empty());
  EXPECT_FALSE(accounts.hasBookmarks());
  EXPECT_TRUE(accounts.store());  // nothing changed, nothing written
  EXPECT_FALSE(fs::exists(folder / "Accounts.xml"));
}

TEST(MigrationStore, WorkspaceStates) {
  TempFolder folder;
  const std::string path = copyFixture(folder, "WorkspaceStates.xml");
  ZqWorkspaceStates states(path);
  const auto all = states.all();
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(all[0].object()->objectID(), "z103");  // newest first
  std::vector<std::string> tabs;
  for (const auto& tab : all[0].appStates()) tabs.push_back(*tab.identifier());
  EXPECT_EQ(tabs,
            (std::vector<std::string>{"Zq_Gmail_ann@example.com", "Zq_GoogleInbox_bob@example.com",
                                      "Zq_Contacts_ann@example.com"}));
  EXPECT_EQ(states.activeWorkspaceState().object(), all[0].object());

  // The same app open in both workspaces: the active workspace's tab wins.
  const auto calendar =
      ZqGoogleAppIdentifier::calendarIdentifierWithAccountIdentifier("ann@example.com");
  ZqWorkspaceState older = all[1];
  ZqWorkspaceState newer = all[0];
  const auto added = newer.addAppStateWithIdentifier(calendar);
  EXPECT_EQ(states.findFirstGoogleAppStateByAppIdentifier(calendar)->object(), added.object());
  states.setActiveWorkspaceState(older);
  EXPECT_NE(states.findFirstGoogleAppStateByAppIdentifier(calendar)->object(), added.object());
  EXPECT_FALSE(states.findFirstGoogleAppStateByAppIdentifier(
      ZqGoogleAppIdentifier::gmailIdentifierWithAccountIdentifier("nobody")));
  ASSERT_TRUE(states.store());

  ZqWorkspaceStates reopened(path);
  EXPECT_EQ(reopened.activeWorkspaceState().object()->objectID(), "z102");
  EXPECT_EQ(ZqWorkspaceState(reopened.all()[0].object()).appStates().size(), 4u);
}

TEST(MigrationStore, NoActiveWorkspaceMakesAndSavesOne) {
  TempFolder folder;
  const std::string path = folder / "WorkspaceStates.xml";
  {
    ZqWorkspaceStates states(path);
    ZqWorkspaceState state = states.activeWorkspaceState();
    ASSERT_NE(state.object(), nullptr);
    EXPECT_TRUE(state.appStates().empty());
  }
  ZqWorkspaceStates reopened(path);
  ASSERT_EQ(reopened.all().size(), 1u);
  EXPECT_TRUE(reopened.all()[0].active()->truth().value_or(false));
  EXPECT_TRUE(reopened.all()[0].lastUpdatedAt().has_value());
}

TEST(MigrationStore, AppIdentifiers) {
  const auto inbox = ZqGoogleAppIdentifier::identifierWithDescription("Zq_GoogleInbox_x_1");
  EXPECT_EQ(inbox.type(), "GoogleInbox");
  EXPECT_EQ(inbox.accountIdentifier(), "x_1");
  EXPECT_EQ(inbox.typeLabel(), "Google Inbox");
  const auto contacts =
      ZqGoogleAppIdentifier::identifierWithDescription("Zq_Contacts_a.b+c@example.com");
  EXPECT_TRUE(contacts.isContacts());
  EXPECT_EQ(contacts.accountIdentifier(), "a.b+c@example.com");
  EXPECT_EQ(contacts.description(), "Zq_Contacts_a.b+c@example.com");
  EXPECT_EQ(contacts.toGmailIdentifier().description(), "Zq_Gmail_a.b+c@example.com");
  const auto all = ZqGoogleAppIdentifier::allWithAccountIdentifier("q");
  ASSERT_EQ(all.size(), 4u);
  EXPECT_TRUE(all[0].isGmail() && all[1].isGoogleInbox() && all[2].isCalendar() &&
              all[3].isContacts());

  auto relabelled = ZqGoogleAppIdentifier::gmailIdentifierWithAccountIdentifier("q");
  relabelled.setTypeLabel("Mail");
  relabelled.setDefaultIcon("Other");
  EXPECT_EQ(relabelled, all[0]);
  EXPECT_EQ(relabelled.hash(), all[0].hash());
  EXPECT_FALSE(all[0] == all[1]);
  EXPECT_FALSE(all[0] == ZqGoogleAppIdentifier::gmailIdentifierWithAccountIdentifier("r"));

  for (const char* bad : {"Gmail_q", "", "Zq_Gmail", "zq_Gmail_q"}) {
    try {
      ZqGoogleAppIdentifier::identifierWithDescription(bad);
      ADD_FAILURE() << bad;
    } catch (const ZqUnknownIdentifierError& error) {
      EXPECT_STREQ(error.what(), bad);
    }
  }
}

TEST(MigrationStore, RecipientForms) {
  const auto bare = ZqRecipient::recipient("a@example.com");
  EXPECT_EQ(bare.stringForEmail(), "<a@example.com>");
  EXPECT_EQ(ZqRecipient::recipient("a@example.com", "Ann").stringForEmail(),
            "\"Ann\" <a@example.com>");
  EXPECT_EQ(ZqRecipient::recipient("a@example.com", "A <x>").stringForEmail(), "\"A <x>\" ");
  const auto parsed = ZqRecipient::fromString("\"Ann\" <a@example.com>,, b@example.com");
  ASSERT_EQ(parsed.size(), 2u);
  EXPECT_EQ(parsed[0].name(), "\"Ann\"");
  EXPECT_EQ(parsed[0].address(), "a@example.com");
  EXPECT_EQ(parsed[1].address(), " b@example.com");
  // A name read with its quotes is written as one quoted string holding them.
  EXPECT_EQ(ZqRecipient::toString(parsed), "\"\\\"Ann\\\"\" <a@example.com>, < b@example.com>");
}
