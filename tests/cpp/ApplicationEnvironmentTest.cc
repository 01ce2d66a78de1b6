#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "Extensions/NSApplication+ZqExtensions.h"
#include "Extensions/ZqDisableGPUIfNeeded.h"
#include "Extensions/ZqPosixPath.h"
#include "ScopedEnvironment.h"
#include "alerts/Alerts.h"
#include "termination/Termination.h"

namespace fs = std::filesystem;
using velquarin::platform::Alerts;
using velquarin::platform::Termination;

namespace {

// Every folder of the application under one scratch folder; termination is recorded instead
// of ending the test.
class ApplicationEnvironment : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(scratch.path().empty());
    home = scratch.path() + "/home";
    tmp = scratch.path() + "/tmp";
    fs::create_directories(home);
    fs::create_directories(tmp);
    environment.set("HOME", home);
    environment.set("XDG_CONFIG_HOME", home + "/.config");
    environment.set("XDG_CACHE_HOME", home + "/.cache");
    environment.set("TMPDIR", tmp);
    Alerts::clear();
    Termination::setHandler([this](int status) { terminations.push_back(status); });
  }
  void TearDown() override {
    Termination::setHandler({});
    Alerts::clear();
  }

  std::string userFolder() const { return tmp + "/velquarin-" + std::to_string(geteuid()); }

  ScratchFolder scratch;
  ScopedEnvironment environment;
  std::string home;
  std::string tmp;
  std::vector<int> terminations;
};

mode_t modeOf(const std::string& path) {
  struct stat info {};
  EXPECT_EQ(lstat(path.c_str(), &info), 0) << path;
  return info.st_mode & 07777;
}

}  // namespace

TEST(ApplicationEnvironmentRules, MojaveOrBetterComparesTheFirstTwoParts) {
  EXPECT_FALSE(zq_isMojaveOrBetter("10.13.6"));
  EXPECT_TRUE(zq_isMojaveOrBetter("10.14"));
  EXPECT_TRUE(zq_isMojaveOrBetter("10.15.7"));
  EXPECT_TRUE(zq_isMojaveOrBetter("11.2"));
  EXPECT_FALSE(zq_isMojaveOrBetter("12"));  // no dot
  EXPECT_FALSE(zq_isMojaveOrBetter(""));
  EXPECT_FALSE(zq_isMojaveOrBetter("9.99"));
  EXPECT_FALSE(zq_isMojaveOrBetter("10.9"));  // numbers, not text: 9 < 14
}

// The common forms are pinned by tests/js/environment.test.js.
TEST_F(ApplicationEnvironment, TildeExpandsToTheHomeFolderOnly) {
  EXPECT_EQ(ZqConvertToPosixPath("~"), home);
  EXPECT_EQ(ZqConvertToPosixPath("a/~/b"), "a/~/b");
  EXPECT_EQ(ZqConvertToPosixPath("~no-such-user-here/x"), "~no-such-user-here/x");
  EXPECT_EQ(ZqConvertToPosixPath("~root/x"), "/root/x");
  environment.set("HOME", "/");
  EXPECT_EQ(ZqConvertToPosixPath("~/x"), "/x");
}

// The support and caches folders under XDG_CONFIG_HOME and XDG_CACHE_HOME are pinned by
// tests/js/logging.test.js and crashreporter.test.js (the log and pending-event folders).
TEST_F(ApplicationEnvironment, FoldersAreMadeUnderTheUsersLocations) {
  const std::string temporary = zq_temporaryDirectory();
  EXPECT_EQ(temporary, userFolder() + "/io.velquarin.desktop");
  EXPECT_TRUE(fs::is_directory(temporary));
  EXPECT_EQ(modeOf(userFolder()), 0700u);
  EXPECT_EQ(zq_temporaryDirectory(), temporary);  // the same folder every time
  EXPECT_EQ(zq_localStorageDatabaseDirectory(), home + "/.config/Velquarin/localStorageDatabase");
  EXPECT_TRUE(terminations.empty());

  // Without XDG variables the folders follow HOME.
  environment.set("XDG_CONFIG_HOME", std::nullopt);
  environment.set("XDG_CACHE_HOME", "relative/is/ignored");
  EXPECT_EQ(zq_applicationSupportDirectory(), home + "/.config/Velquarin");
  EXPECT_EQ(zq_cachesDirectory(), home + "/.cache/io.velquarin.desktop");
}

TEST_F(ApplicationEnvironment, ALooseOwnUserFolderIsTightened) {
  fs::create_directories(userFolder());
  chmod(userFolder().c_str(), 0777);
  EXPECT_EQ(zq_temporaryDirectory(), userFolder() + "/io.velquarin.desktop");
  EXPECT_EQ(modeOf(userFolder()), 0700u);
}

TEST_F(ApplicationEnvironment, AUserFolderPlantedAsASymlinkIsRefused) {
  const std::string elsewhere = scratch.path() + "/attacker";
  fs::create_directories(elsewhere);
  fs::create_directory_symlink(elsewhere, userFolder());
  const std::string temporary = zq_temporaryDirectory();
  EXPECT_NE(temporary.rfind(userFolder() + "-", 0), std::string::npos) << temporary;
  EXPECT_TRUE(fs::is_empty(elsewhere));
  EXPECT_EQ(modeOf(fs::path(temporary).parent_path().string()), 0700u);
  EXPECT_TRUE(fs::is_symlink(userFolder()));  // left alone, not followed
  // The replacement stays the folder for the rest of the process.
  EXPECT_EQ(zq_temporaryDirectory(), temporary);
  EXPECT_TRUE(terminations.empty());
}

TEST_F(ApplicationEnvironment, AUserFolderOwnedBySomeoneElseIsRefused) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to give a folder away";
  fs::create_directories(userFolder());
  ASSERT_EQ(chown(userFolder().c_str(), 65534, 65534), 0);
  const std::string temporary = zq_temporaryDirectory();
  EXPECT_EQ(temporary.rfind(userFolder() + "/", 0), std::string::npos) << temporary;
  EXPECT_TRUE(fs::is_directory(temporary));
  EXPECT_TRUE(fs::is_empty(userFolder()));
}

TEST_F(ApplicationEnvironment, UniquePathsCountUpAndGiveUpAfterAThousand) {
  const std::string folder = zq_temporaryDirectory();
  EXPECT_EQ(zq_createUniquePathWithPrefix("mail", "pdf"), folder + "/mail.pdf");
  std::ofstream(folder + "/mail.pdf") << "x";
  EXPECT_EQ(zq_createUniquePathWithPrefix("mail", "pdf"), folder + "/mail_1.pdf");
  // A dangling link occupies its name too.
  fs::create_symlink(folder + "/nowhere", folder + "/mail_1.pdf");
  EXPECT_EQ(zq_createUniquePathWithPrefix("mail", "pdf"), folder + "/mail_2.pdf");

  std::ofstream(folder + "/full.txt") << "x";
  for (int i = 1; i <= 998; ++i) std::ofstream(folder + "/full_" + std::to_string(i) + ".txt");
  EXPECT_EQ(zq_createUniquePathWithPrefix("full", "txt"), folder + "/full_999.txt");
  std::ofstream(folder + "/full_999.txt") << "x";
  EXPECT_EQ(zq_createUniquePathWithPrefix("full", "txt"), std::nullopt);

  EXPECT_EQ(zq_createUniquePathWithPrefix("../../escape", "pdf"), std::nullopt);
  EXPECT_EQ(zq_createUniquePathWithPrefix("mail", "pdf/../../x"), std::nullopt);
}

TEST_F(ApplicationEnvironment, TheLocalStorageDatabaseIsRemovedWithItsContents) {
  const std::string database = zq_localStorageDatabaseDirectory();
  fs::create_directories(database + "/inner");
  std::ofstream(database + "/inner/file") << "x";
  zq_removeLocalStorageDatabase();
  EXPECT_FALSE(fs::exists(database));
  EXPECT_TRUE(fs::is_directory(zq_applicationSupportDirectory()));
  zq_removeLocalStorageDatabase();  // nothing left to remove: logged, nothing else happens
  EXPECT_TRUE(terminations.empty());
}

TEST(DisableGPU, OnlyATranslatedProcessWritesTheDefault) {
  std::vector<std::pair<std::string, bool>> written;
  auto writer = [&](const std::string& key, bool value) { written.emplace_back(key, value); };
  ZqDisableGPUIfNeeded(false, writer);
  EXPECT_TRUE(written.empty());
  ZqDisableGPUIfNeeded(true, writer);
  ASSERT_EQ(written.size(), 1u);
  EXPECT_EQ(written[0], std::make_pair(std::string("DisableGPU"), true));
}
