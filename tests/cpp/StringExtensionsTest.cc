#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "Extensions/NSString+ZqExtensions.h"
#include "TempFolder.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::uint8_t> bytes(std::initializer_list<int> values) {
  std::vector<std::uint8_t> result;
  for (int v : values) result.push_back(static_cast<std::uint8_t>(v));
  return result;
}

void touch(const std::string& path) {
  std::ofstream(path) << "x";
}

}  // namespace

TEST(StringExtensions, EscapeForURLLeavesOnlyUnreservedCharacters) {
  EXPECT_EQ(zq_escapeForURL("a b&c/d"), "a%20b%26c%2Fd");
  EXPECT_EQ(zq_escapeForURL("+&@;=$:?~/"), "%2B%26%40%3B%3D%24%3A%3F%7E%2F");
  EXPECT_EQ(zq_escapeForURL("Az09-._"), "Az09-._");
  EXPECT_EQ(zq_escapeForURL("#%\"\n"), "%23%25%22%0A");
  EXPECT_EQ(zq_escapeForURL("\xC3\xA9"), "%C3%A9");
}

TEST(StringExtensions, TextFromBytesRefusesInvalidSequences) {
  EXPECT_EQ(zq_stringWithData(bytes({0xC3, 0xA9}), ZqStringEncoding::UTF8), "\xC3\xA9");
  EXPECT_FALSE(zq_stringWithData(bytes({0xC3, 0x28}), ZqStringEncoding::UTF8));
  EXPECT_FALSE(zq_stringWithData(bytes({0xC0, 0xAF}), ZqStringEncoding::UTF8));  // overlong
  EXPECT_EQ(zq_stringWithData(bytes({0xE9}), ZqStringEncoding::ISOLatin1), "\xC3\xA9");
  EXPECT_FALSE(zq_stringWithData(bytes({'a', 0xE9}), ZqStringEncoding::ASCII));
  EXPECT_EQ(zq_stringWithData(bytes({0xFF, 0xFE, 'h', 0, 'i', 0}), ZqStringEncoding::UTF16), "hi");
  EXPECT_EQ(zq_stringWithData(bytes({0, 'h', 0, 'i'}), ZqStringEncoding::UTF16), "hi");
  EXPECT_FALSE(zq_stringWithData(bytes({0x00, 0xD8}), ZqStringEncoding::UTF16LittleEndian));
}

TEST(StringExtensions, PathPredicates) {
  TempFolder folder;
  touch(folder / "file.ZIP");
  fs::create_directory(folder / "folder");
  fs::create_directory_symlink(folder / "folder", folder / "link");
  EXPECT_TRUE(zq_isDirectoryPath(folder / "link"));
  EXPECT_FALSE(zq_isDirectoryPath(folder / "file.ZIP"));
  EXPECT_FALSE(zq_isDirectoryPath(""));
  EXPECT_TRUE(zq_isZipPath(folder / "file.ZIP"));
  EXPECT_TRUE(zq_isZipPath("/no/such/archive.zip"));
  EXPECT_FALSE(zq_isZipPath("/tmp/.zip"));
  // By type, not name; the common types are pinned by tests/js/images.test.js.
  touch(folder / "f.webp");
  touch(folder / "a.GIF");
  fs::create_symlink(folder / "a.GIF", folder / "link.gif");
  EXPECT_TRUE(zq_isWebImagePath(folder / "a.GIF"));
  EXPECT_FALSE(zq_isWebImagePath(folder / "f.webp"));
  EXPECT_FALSE(zq_isWebImagePath(folder / "link.gif"));
  EXPECT_FALSE(zq_isWebImagePath(""));
}

TEST(StringExtensions, MakeUniquePathCountsUpAndGivesUp) {
  TempFolder folder;
  touch(folder / "archive.tar.gz");
  EXPECT_EQ(zq_makeUniquePath(folder / "archive.tar.gz"), folder / "archive.tar-1.gz");
  fs::create_directory(folder / "folder");
  EXPECT_EQ(zq_makeUniquePath(folder / "folder/"), folder / "folder-1");
  // A dangling link is something: writing there would follow it.
  fs::create_symlink(folder / "nowhere", folder / "dangling.txt");
  EXPECT_EQ(zq_makeUniquePath(folder / "dangling.txt"), folder / "dangling-1.txt");

  touch(folder / "n");
  for (int i = 1; i <= 9999; ++i) touch(folder / ("n-" + std::to_string(i)));
  EXPECT_EQ(zq_makeUniquePath(folder / "n"), folder / "n-10000");
  touch(folder / "n-10000");
  EXPECT_FALSE(zq_makeUniquePath(folder / "n"));
}
