#include "logging/RollingFileSink.h"

#include <gtest/gtest.h>
#include <spdlog/logger.h>
#include <spdlog/pattern_formatter.h>

#include <filesystem>

#include "TempFolder.h"
#include "runloop/Clock.h"

using velquarin::platform::Clock;
using velquarin::platform::RollingFileSink;
namespace fs = std::filesystem;

namespace {

// A synchronous logger over the sink: each line is in the file when log() returns.
struct FileLog {
  explicit FileLog(RollingFileSink::Options options)
      : sink(std::make_shared<RollingFileSink>(std::move(options))), logger("test", sink) {
    sink->set_pattern("%v");
  }
  void line(const std::string& text) { logger.info(text); }
  std::shared_ptr<RollingFileSink> sink;
  spdlog::logger logger;
};

RollingFileSink::Options optionsIn(const std::string& directory) {
  RollingFileSink::Options options;
  options.directory = directory;
  return options;
}

}  // namespace

// The daily roll and a file deleted while open are pinned by tests/js/logging.test.js.
TEST(RollingFileSink, TheNextProcessCarriesOnWithAYoungFileButNotAnOldOne) {
  TempFolder folder;
  const std::string logs = folder / "Logs";  // made by the sink, for its owner only
  {
    FileLog log(optionsIn(logs));
    log.line("first run");
  }
  {
    FileLog log(optionsIn(logs));
    log.line("second run");
    ASSERT_EQ(log.sink->logFiles().size(), 1u);
    EXPECT_EQ(readFile(*log.sink->currentPath()), "first run\nsecond run\n");
  }
  Clock::advance(86400);
  FileLog log(optionsIn(logs));
  log.line("a day later");
  const auto files = log.sink->logFiles();
  ASSERT_EQ(files.size(), 2u);
  EXPECT_EQ(readFile(files[1]), "a day later\n");
  EXPECT_EQ(fs::status(logs).permissions() & fs::perms::all, fs::perms::owner_all);
}

TEST(RollingFileSink, AFolderThatCannotBeOpenedLosesTheLinesButRecovers) {
  TempFolder folder;
  // A plain file where the folder should be: no file can be opened inside it.
  { std::ofstream(folder / "Logs") << "in the way"; }
  FileLog log(optionsIn(folder / "Logs"));
  testing::internal::CaptureStderr();
  log.line("lost");
  log.line("lost too");
  const std::string complaint = testing::internal::GetCapturedStderr();
  EXPECT_EQ(log.sink->currentPath(), std::nullopt);
  // Said once, not once per line.
  EXPECT_NE(complaint.find("cannot open the log file"), std::string::npos);
  EXPECT_EQ(complaint.find("cannot", complaint.find("cannot") + 1), std::string::npos);

  fs::remove(folder / "Logs");
  log.line("back");
  ASSERT_TRUE(log.sink->currentPath());
  EXPECT_EQ(readFile(*log.sink->currentPath()), "back\n");
}

TEST(RollingFileSink, AFullFileRollsEarlyAndTheNewNameNeverRepeatsTheOld) {
  TempFolder folder;
  auto options = optionsIn(folder.path());
  options.maximumFileSize = 10;
  FileLog log(options);
  // Every line below lands within the same millisecond of the clock.
  log.line("0123456789");  // passes the limit: the next line starts a new file
  log.line("next");
  log.line("third");  // "next\nthird\n" passes it again
  log.line("fourth");
  const auto files = log.sink->logFiles();
  ASSERT_EQ(files.size(), 2u);
  EXPECT_EQ(readFile(files[0]), "next\nthird\n");
  EXPECT_EQ(readFile(files[1]), "fourth\n");
}

TEST(RollingFileSink, OnlyItsOwnFilesAreCountedOrRemoved) {
  TempFolder folder;
  RollingFileSink sink(optionsIn(folder.path()));
  for (const char* name :
       {"notes.txt", "Velquarin-2020-01-01--00-00-00-000.txt",
        "Velquarin-2020-13-01--00-00-00-000.lo", "Other-2020-01-01--00-00-00-000.log",
        "Velquarin-2020-01-01--00-00-0x-000.log"}) {
    std::ofstream(folder / name) << "x";
  }
  const double start = 1577836800.25;  // 2020-01-01 00:00:00.250 UTC
  const std::string ours = sink.fileNameFor(start);
  EXPECT_EQ(ours, "Velquarin-2020-01-01--00-00-00-250.log");
  EXPECT_DOUBLE_EQ(*sink.startTimeOf(ours), start);
  std::ofstream(folder / ours) << "x";
  std::ofstream(folder / sink.fileNameFor(start + 1)) << "x";
  std::ofstream(folder / sink.fileNameFor(start + 2)) << "x";

  FileLog log(optionsIn(folder.path()));
  log.line("now");
  EXPECT_EQ(log.sink->logFiles().size(), 2u);  // the current file and the newest older one
  EXPECT_TRUE(fs::exists(folder / sink.fileNameFor(start + 2)));
  EXPECT_FALSE(fs::exists(folder / ours));
  EXPECT_TRUE(fs::exists(folder / "notes.txt"));
  EXPECT_TRUE(fs::exists(folder / "Other-2020-01-01--00-00-00-000.log"));
  EXPECT_TRUE(fs::exists(folder / "Velquarin-2020-01-01--00-00-0x-000.log"));
}
