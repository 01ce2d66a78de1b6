#include "files/DataWriter.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "TempFolder.h"

namespace fs = std::filesystem;
using velquarin::platform::writeData;

namespace {

std::vector<std::uint8_t> bytesOf(const std::string& text) {
  return std::vector<std::uint8_t>(text.begin(), text.end());
}

class Umask {
 public:
  explicit Umask(mode_t mask) : previous_(::umask(mask)) {}
  ~Umask() { ::umask(previous_); }

 private:
  mode_t previous_;
};

}  // namespace

// Round trips, empty data and a missing folder are pinned by tests/js/files.test.js.
TEST(DataWriter, ReplacesRatherThanAppendsWithTheNormalModeLessTheUmask) {
  TempFolder folder;
  for (mode_t mask : {mode_t(022), mode_t(077)}) {
    Umask umask(mask);
    for (bool atomic : {true, false}) {
      const std::string file = folder / ("m" + std::to_string(mask) + std::to_string(atomic));
      ASSERT_FALSE(writeData(file, bytesOf("longer text"), atomic));
      ASSERT_FALSE(writeData(file, bytesOf("short"), atomic));
      EXPECT_EQ(readFile(file), "short");
      struct stat status;
      ASSERT_EQ(::stat(file.c_str(), &status), 0);
      EXPECT_EQ(status.st_mode & 0777, 0666 & ~mask) << file;
    }
  }
}

TEST(DataWriter, AFailedAtomicWriteLeavesTheTargetAndNoStrayFile) {
  TempFolder folder;
  fs::create_directory(folder / "occupied");
  std::ofstream(folder / "occupied/inside") << "keep";
  // Renaming a file over a non-empty folder fails after the bytes were written.
  EXPECT_TRUE(writeData(folder / "occupied", bytesOf("new"), true));
  EXPECT_EQ(readFile(folder / "occupied/inside"), "keep");
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), {}), 1);
  EXPECT_TRUE(writeData(folder.path() + "/", bytesOf("x"), true));
}
