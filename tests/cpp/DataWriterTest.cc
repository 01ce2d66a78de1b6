#include "files/DataWriter.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;
using velquarin::platform::writeData;

namespace {

struct Scratch {
  Scratch() {
    std::string pattern = (fs::temp_directory_path() / "writer-test-XXXXXX").string();
    path = ::mkdtemp(pattern.data());
  }
  ~Scratch() { fs::remove_all(path); }
  std::size_t entries() const {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(path), {}));
  }
  fs::path path;
};

std::string contents(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

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

TEST(DataWriter, RoundTripsBothWaysIncludingEmptyData) {
  Scratch scratch;
  for (bool atomic : {true, false}) {
    const fs::path file = scratch.path / (atomic ? "atomic.bin" : "direct.bin");
    std::string binary("a\0b\xff", 4);
    EXPECT_FALSE(writeData(file, bytesOf(binary), atomic));
    EXPECT_EQ(contents(file), binary);
    EXPECT_FALSE(writeData(file, bytesOf("shorter"), atomic));  // replaces, never appends
    EXPECT_EQ(contents(file), "shorter");
    EXPECT_FALSE(writeData(file, {}, atomic));
    EXPECT_TRUE(fs::exists(file));
    EXPECT_EQ(fs::file_size(file), 0u);
  }
  EXPECT_EQ(scratch.entries(), 2u);  // no temporary file left behind
}

TEST(DataWriter, AMissingFolderFailsWithADescriptionAndCreatesNothing) {
  Scratch scratch;
  for (bool atomic : {true, false}) {
    const auto error = writeData((scratch.path / "missing" / "x.txt").string(), bytesOf("x"), atomic);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code, ENOENT);
    EXPECT_NE(error->description().find("No such file or directory"), std::string::npos);
    EXPECT_NE(error->description().find("missing/x.txt"), std::string::npos);
  }
  EXPECT_EQ(scratch.entries(), 0u);
}

TEST(DataWriter, AFailedAtomicWriteLeavesTheTargetAndNoStrayFile) {
  Scratch scratch;
  fs::create_directory(scratch.path / "occupied");
  std::ofstream(scratch.path / "occupied" / "inside") << "keep";
  // Renaming a file over a non-empty folder fails after the bytes were written.
  EXPECT_TRUE(writeData((scratch.path / "occupied").string(), bytesOf("new"), true));
  EXPECT_TRUE(fs::is_directory(scratch.path / "occupied"));
  EXPECT_EQ(contents(scratch.path / "occupied" / "inside"), "keep");
  EXPECT_EQ(scratch.entries(), 1u);
  EXPECT_TRUE(writeData((scratch.path.string() + "/"), bytesOf("x"), true));
}

TEST(DataWriter, NewFilesGetTheNormalModeLessTheUmask) {
  Scratch scratch;
  for (mode_t mask : {mode_t(022), mode_t(077)}) {
    Umask umask(mask);
    for (bool atomic : {true, false}) {
      const fs::path file = scratch.path / ("m" + std::to_string(mask) + std::to_string(atomic));
      ASSERT_FALSE(writeData(file, bytesOf("x"), atomic));
      struct stat status;
      ASSERT_EQ(::stat(file.c_str(), &status), 0);
      EXPECT_EQ(status.st_mode & 0777, 0666 & ~mask) << file;
    }
  }
}
