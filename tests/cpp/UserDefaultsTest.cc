#include "defaults/UserDefaults.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "bundle/Bundle.h"
#include "notificationcenter/NotificationCenter.h"
#include "plist/PlistWriter.h"
#include "runloop/Clock.h"
#include "runloop/MainQueue.h"

using namespace velquarin::platform;
namespace fs = std::filesystem;

namespace {

class UserDefaultsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "defaults-test-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
    path_ = (folder_ / "Preferences" / "io.example.test.plist").string();
    UserDefaults::setLogHandler([this](DefaultsLogLevel level, const std::string& text) {
      if (level == DefaultsLogLevel::Error) errors_.push_back(text);
    });
  }
  void TearDown() override {
    UserDefaults::setLogHandler(nullptr);
    std::error_code error;
    fs::permissions(folder_, fs::perms::owner_all, error);
    fs::remove_all(folder_, error);
  }

  std::shared_ptr<UserDefaults> open() { return UserDefaults::open(path_, "io.example.test"); }

  std::string fileText(const std::string& path) const {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  void writeFile(const std::string& path, const std::string& text) const {
    fs::create_directories(fs::path(path).parent_path());
    // Through a new file, as an editor or another process would; the old one may be held open.
    const std::string temporary = path + ".new";
    std::ofstream(temporary, std::ios::binary) << text;
    fs::rename(temporary, path);
  }
  std::vector<std::string> filesInFolder() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(fs::path(path_).parent_path())) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  fs::path folder_;
  std::string path_;
  std::vector<std::string> errors_;
};

}  // namespace

TEST_F(UserDefaultsTest, TypedValuesReadBackAcrossStores) {
  auto defaults = open();
  defaults->set("flag", true);
  defaults->set("count", 42);
  defaults->set("ratio", 2.75);
  defaults->set("name", "Zoë ✉");
  defaults->set("blob", PlistData{0, 255, 7});
  defaults->set("shortcut", PlistDictionary{{"KeyCode", PlistValue(-1)},
                                            {"ModifierFlags", PlistValue(1 << 20)}});
  defaults->set("list", PlistArray{PlistValue("a"), PlistValue(1)});
  ASSERT_TRUE(defaults->synchronize());

  auto other = open();  // another process, as far as the file is concerned
  EXPECT_EQ(other->boolValue("flag"), true);
  EXPECT_EQ(other->integerValue("count"), 42);
  EXPECT_EQ(other->realValue("ratio"), 2.75);
  EXPECT_EQ(other->integerValue("ratio"), 2);
  EXPECT_EQ(other->stringValue("name"), "Zoë ✉");
  EXPECT_EQ(other->dataValue("blob"), (PlistData{0, 255, 7}));
  EXPECT_EQ(other->dictionaryValue("shortcut")->at("KeyCode"), PlistValue(-1));
  EXPECT_EQ(other->arrayValue("list")->size(), 2u);
  EXPECT_EQ(other->stringValue("count"), std::nullopt);
  EXPECT_EQ(other->boolValue("missing"), std::nullopt);
  EXPECT_EQ(other->dictionaryRepresentation().size(), 7u);
}

TEST_F(UserDefaultsTest, NumbersReadAcrossTheirKinds) {
  auto defaults = open();
  defaults->set("two", 2);
  defaults->set("negative", -2.9);
  defaults->set("nan", std::nan(""));
  defaults->set("huge", 1e300);
  defaults->set("yes", true);
  EXPECT_EQ(defaults->boolValue("two"), true);
  EXPECT_EQ(defaults->integerValue("negative"), -2);
  EXPECT_EQ(defaults->integerValue("nan"), 0);
  EXPECT_EQ(defaults->integerValue("huge"), std::numeric_limits<std::int64_t>::max());
  EXPECT_EQ(defaults->integerValue("yes"), 1);
}

TEST_F(UserDefaultsTest, ChangesWaitForTheSaveTimerThenReachTheFile) {
  auto defaults = open();
  defaults->set("early", "value");
  EXPECT_FALSE(fs::exists(path_));
  EXPECT_TRUE(defaults->hasPendingChanges());
  Clock::advance(UserDefaults::kSaveDelay / 2);
  EXPECT_FALSE(fs::exists(path_));
  Clock::advance(UserDefaults::kSaveDelay / 2 + 0.01);
  EXPECT_FALSE(defaults->hasPendingChanges());
  EXPECT_NE(fileText(path_).find("<key>early</key>"), std::string::npos);
  // Private file, and no temporary file left beside it.
  struct stat st {};
  ASSERT_EQ(::stat(path_.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(filesInFolder(),
            (std::vector<std::string>{"io.example.test.plist", "io.example.test.plist.lock"}));
}

TEST_F(UserDefaultsTest, EveryChangeIsAnnouncedWithItsDomainAndKey) {
  auto defaults = open();
  std::vector<nlohmann::json> seen;
  auto id = NotificationCenter::defaultCenter().addObserver(
      kUserDefaultsDidChangeNotification, defaults.get(), NotificationCenter::Delivery::Posting,
      [&](const Notification& n) {
        seen.push_back(n.userInfo);
        // Observers may read the store they hear about.
        seen.back()["read"] = defaults->value("k").has_value();
      });
  defaults->set("k", 1);
  defaults->set("k", 1);
  defaults->remove("k");
  NotificationCenter::defaultCenter().removeObserver(id);
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[0], (nlohmann::json{{"domain", "io.example.test"}, {"key", "k"}, {"read", true}}));
  EXPECT_EQ(seen[2]["read"], false);
}

TEST_F(UserDefaultsTest, AnotherWritersKeysMergeWithPendingOnes) {
  auto mine = open();
  auto theirs = open();
  mine->set("mine", "pending");
  mine->set("both", "mine");
  theirs->set("theirs", 1);
  theirs->set("both", "theirs");
  ASSERT_TRUE(theirs->synchronize());
  // Their file is read again; my pending changes stay on top, key by key.
  EXPECT_EQ(mine->integerValue("theirs"), 1);
  EXPECT_EQ(mine->stringValue("both"), "mine");
  EXPECT_EQ(mine->stringValue("mine"), "pending");
  ASSERT_TRUE(mine->synchronize());
  EXPECT_EQ(theirs->stringValue("mine"), "pending");
  EXPECT_EQ(theirs->integerValue("theirs"), 1);
  theirs->remove("theirs");
  ASSERT_TRUE(theirs->synchronize());
  EXPECT_EQ(mine->value("theirs"), std::nullopt);
}

TEST_F(UserDefaultsTest, WritersRacingOnOneFileLoseNoKey) {
  // Separate stores stand for separate processes; each write re-reads the file under the lock.
  std::vector<std::thread> writers;
  for (int writer = 0; writer < 4; ++writer) {
    writers.emplace_back([this, writer] {
      auto defaults = open();
      for (int i = 0; i < 25; ++i) {
        defaults->set("w" + std::to_string(writer) + "-" + std::to_string(i), i);
        EXPECT_TRUE(defaults->synchronize());
      }
    });
  }
  for (auto& writer : writers) writer.join();
  EXPECT_EQ(open()->dictionaryRepresentation().size(), 100u);
  EXPECT_TRUE(errors_.empty());
}

TEST_F(UserDefaultsTest, EditsOnDiskAreSeenByTheNextRead) {
  auto defaults = open();
  defaults->set("a", 1);
  ASSERT_TRUE(defaults->synchronize());
  writeFile(path_, plistValueToXml(PlistValue(PlistDictionary{{"a", PlistValue(2)}})));
  EXPECT_EQ(defaults->integerValue("a"), 2);
  fs::remove(path_);
  EXPECT_EQ(defaults->value("a"), std::nullopt);
  EXPECT_TRUE(errors_.empty());
}

TEST_F(UserDefaultsTest, ACorruptFileIsKeptAsideAndTheDomainStartsEmpty) {
  writeFile(path_, "not a property list");
  auto defaults = open();
  EXPECT_EQ(defaults->value("anything"), std::nullopt);
  ASSERT_EQ(errors_.size(), 1u);
  EXPECT_NE(errors_[0].find(path_ + ".corrupt"), std::string::npos);
  EXPECT_EQ(fileText(path_ + ".corrupt"), "not a property list");

  defaults->set("fresh", true);
  ASSERT_TRUE(defaults->synchronize());
  EXPECT_EQ(open()->boolValue("fresh"), true);

  // A second bad file does not take the first one's place; neither does an array at the top.
  writeFile(path_, plistValueToXml(PlistValue(PlistArray{PlistValue(1)})));
  EXPECT_EQ(defaults->value("fresh"), std::nullopt);
  EXPECT_EQ(fileText(path_ + ".corrupt"), "not a property list");
  EXPECT_TRUE(fs::exists(path_ + ".corrupt-2"));
  EXPECT_EQ(errors_.size(), 2u);
}

TEST_F(UserDefaultsTest, AFileThatCannotBeReadIsNeverWrittenOver) {
  fs::create_directories(path_);  // where the file should be: cannot be read as one
  fs::create_directories(fs::path(path_) / "keep");
  auto defaults = open();
  defaults->set("k", 1);
  EXPECT_FALSE(defaults->synchronize());
  EXPECT_TRUE(defaults->hasPendingChanges());
  EXPECT_TRUE(fs::is_directory(fs::path(path_) / "keep"));
  EXPECT_EQ(defaults->integerValue("k"), 1);  // still readable from memory
  EXPECT_FALSE(errors_.empty());

  // Once the obstacle is gone the pending change is written.
  fs::remove_all(path_);
  EXPECT_TRUE(defaults->synchronize());
  EXPECT_EQ(open()->integerValue("k"), 1);
}

TEST_F(UserDefaultsTest, AFolderThatCannotBeCreatedKeepsChangesPending) {
  std::ofstream(folder_ / "Preferences") << "a file, not a folder";
  auto defaults = open();
  defaults->set("k", 1);
  EXPECT_FALSE(defaults->synchronize());
  EXPECT_TRUE(defaults->hasPendingChanges());
  EXPECT_FALSE(errors_.empty());
}

TEST_F(UserDefaultsTest, ALastOwnerLettingGoWritesWhatIsPending) {
  open()->set("written at release", true);
  EXPECT_EQ(open()->boolValue("written at release"), true);
}

TEST(UserDefaultsDomains, FilesAreNamedByTheMainBundleInTheConfigFolder) {
  namespace fs = std::filesystem;
  std::string pattern = (fs::temp_directory_path() / "defaults-domain-XXXXXX").string();
  ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
  const fs::path root = pattern;
  const char* previous = std::getenv("XDG_CONFIG_HOME");
  const std::string saved = previous ? previous : "";
  ::setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
  const std::string mainBundle = Bundle::main()->path();

  fs::create_directories(root / "Good.bundle");
  std::ofstream(root / "Good.bundle" / "Info.plist") << plistValueToXml(PlistValue(PlistDictionary{
      {"CFBundleName", PlistValue("Good")}, {"CFBundleIdentifier", PlistValue("org.good.app")}}));
  Bundle::setMainPath((root / "Good.bundle").string());
  EXPECT_EQ(UserDefaults::preferencesDirectory(),
            (root / "config" / "Good" / "Preferences").string());
  EXPECT_EQ(UserDefaults::standard()->path(),
            (root / "config" / "Good" / "Preferences" / "org.good.app.plist").string());
  EXPECT_EQ(UserDefaults::standard()->domain(), "org.good.app");
  EXPECT_EQ(UserDefaults::standard(), UserDefaults::standard());
  EXPECT_EQ(UserDefaults::global()->path(),
            (root / "config" / "Good" / "Preferences" / ".GlobalPreferences.plist").string());
  EXPECT_NE(UserDefaults::global(), UserDefaults::standard());

  // Names from Info.plist never lead out of the folder.
  fs::create_directories(root / "Evil.bundle");
  std::ofstream(root / "Evil.bundle" / "Info.plist") << plistValueToXml(PlistValue(PlistDictionary{
      {"CFBundleName", PlistValue("../..")}, {"CFBundleIdentifier", PlistValue("../../x")}}));
  Bundle::setMainPath((root / "Evil.bundle").string());
  EXPECT_EQ(
      UserDefaults::standard()->path(),
      (root / "config" / "Velquarin" / "Preferences" / "io.velquarin.desktop.plist").string());

  Bundle::setMainPath(mainBundle);
  if (previous) {
    ::setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
  } else {
    ::unsetenv("XDG_CONFIG_HOME");
  }
  fs::remove_all(root);
}
