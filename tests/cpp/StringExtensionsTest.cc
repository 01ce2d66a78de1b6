#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "Extensions/NSString+ZqExtensions.h"

namespace fs = std::filesystem;

namespace {

struct Scratch {
  Scratch() {
    std::string pattern = (fs::temp_directory_path() / "strings-test-XXXXXX").string();
    path = ::mkdtemp(pattern.data());
  }
  ~Scratch() { fs::remove_all(path); }
  std::string at(const std::string& name) const { return (path / name).string(); }
  void touch(const std::string& name) const { std::ofstream(path / name) << "x"; }
  fs::path path;
};

std::vector<std::uint8_t> bytes(std::initializer_list<int> values) {
  std::vector<std::uint8_t> result;
  for (int v : values) result.push_back(static_cast<std::uint8_t>(v));
  return result;
}

}  // namespace

TEST(StringExtensions, EscapeForURLLeavesOnlyUnreservedCharacters) {
  EXPECT_EQ(zq_escapeForURL("a b&c/d"), "a%20b%26c%2Fd");
  EXPECT_EQ(zq_escapeForURL("+&@;=$:?~/"), "%2B%26%40%3B%3D%24%3A%3F%7E%2F");
  EXPECT_EQ(zq_escapeForURL("Az09-._"), "Az09-._");
  EXPECT_EQ(zq_escapeForURL("#%\"\n"), "%23%25%22%0A");
  EXPECT_EQ(zq_escapeForURL("\xC3\xA9"), "%C3%A9");
  EXPECT_EQ(zq_escapeForURL(""), "");
}

TEST(StringExtensions, PrefixAndSuffixTests) {
  EXPECT_TRUE(zq_startsWith("anything", ""));
  EXPECT_TRUE(zq_startsWith("", ""));
  EXPECT_TRUE(zq_startsWith("mailto:x", "mailto:"));
  EXPECT_FALSE(zq_startsWith("mail", "mailto:"));
  EXPECT_FALSE(zq_startsWith("Mailto:x", "mailto:"));
  EXPECT_TRUE(zq_endsWith("photo.png", ".png"));
  EXPECT_TRUE(zq_endsWith("photo.png", ""));
  EXPECT_FALSE(zq_endsWith("png", ".png"));
  EXPECT_FALSE(zq_endsWith("photo.PNG", ".png"));
}

TEST(StringExtensions, TextFromBytesRefusesInvalidSequences) {
  EXPECT_EQ(zq_stringWithData(bytes({0xC3, 0xA9}), ZqStringEncoding::UTF8), "\xC3\xA9");
  EXPECT_FALSE(zq_stringWithData(bytes({0xC3, 0x28}), ZqStringEncoding::UTF8));
  EXPECT_FALSE(zq_stringWithData(bytes({0xC0, 0xAF}), ZqStringEncoding::UTF8));  // overlong
  EXPECT_EQ(zq_stringWithData(bytes({0xE9}), ZqStringEncoding::ISOLatin1), "\xC3\xA9");
  EXPECT_FALSE(zq_stringWithData(bytes({'a', 0xE9}), ZqStringEncoding::ASCII));
  EXPECT_EQ(zq_stringWithData(bytes({'o', 'k'}), ZqStringEncoding::ASCII), "ok");
  EXPECT_EQ(zq_stringWithData(bytes({0xFF, 0xFE, 'h', 0, 'i', 0}), ZqStringEncoding::UTF16), "hi");
  EXPECT_EQ(zq_stringWithData(bytes({0, 'h', 0, 'i'}), ZqStringEncoding::UTF16), "hi");
  EXPECT_EQ(zq_stringWithData(bytes({'h', 0}), ZqStringEncoding::UTF16LittleEndian), "h");
  EXPECT_FALSE(zq_stringWithData(bytes({0x00, 0xD8}), ZqStringEncoding::UTF16LittleEndian));
  EXPECT_EQ(zq_stringWithData({}, ZqStringEncoding::UTF8), "");
}

TEST(StringExtensions, PathPredicates) {
  Scratch scratch;
  scratch.touch("file.ZIP");
  fs::create_directory(scratch.path / "folder");
  fs::create_directory_symlink(scratch.path / "folder", scratch.path / "link");
  EXPECT_TRUE(zq_isDirectoryPath(scratch.at("folder")));
  EXPECT_TRUE(zq_isDirectoryPath(scratch.at("link")));
  EXPECT_FALSE(zq_isDirectoryPath(scratch.at("file.ZIP")));
  EXPECT_FALSE(zq_isDirectoryPath(scratch.at("missing")));
  EXPECT_FALSE(zq_isDirectoryPath(""));
  EXPECT_TRUE(zq_isZipPath(scratch.at("file.ZIP")));
  EXPECT_TRUE(zq_isZipPath("/no/such/archive.zip"));
  EXPECT_FALSE(zq_isZipPath("/tmp/zip"));
  EXPECT_FALSE(zq_isZipPath("/tmp/.zip"));
}

TEST(StringExtensions, MakeUniquePathCountsUpInTheSameFolder) {
  Scratch scratch;
  EXPECT_EQ(zq_makeUniquePath(scratch.at("a.jpg")), scratch.at("a.jpg"));
  scratch.touch("a.jpg");
  scratch.touch("a-1.jpg");
  EXPECT_EQ(zq_makeUniquePath(scratch.at("a.jpg")), scratch.at("a-2.jpg"));
  scratch.touch("archive.tar.gz");
  EXPECT_EQ(zq_makeUniquePath(scratch.at("archive.tar.gz")), scratch.at("archive.tar-1.gz"));
  fs::create_directory(scratch.path / "folder");
  EXPECT_EQ(zq_makeUniquePath(scratch.at("folder")), scratch.at("folder-1"));
  EXPECT_EQ(zq_makeUniquePath(scratch.at("folder") + "/"), scratch.at("folder-1"));
  // A dangling link is something: writing there would follow it.
  fs::create_symlink(scratch.path / "nowhere", scratch.path / "dangling.txt");
  EXPECT_EQ(zq_makeUniquePath(scratch.at("dangling.txt")), scratch.at("dangling-1.txt"));
}

TEST(StringExtensions, MakeUniquePathGivesUpAfterTenThousandCandidates) {
  Scratch scratch;
  scratch.touch("n");
  for (int i = 1; i <= 9999; ++i) scratch.touch("n-" + std::to_string(i));
  EXPECT_EQ(zq_makeUniquePath(scratch.at("n")), scratch.at("n-10000"));
  scratch.touch("n-10000");
  EXPECT_FALSE(zq_makeUniquePath(scratch.at("n")));
}

TEST(StringExtensions, WebImagePathsByTheirTypeNotTheirName) {
  Scratch scratch;
  for (const char* name : {"a.GIF", "b.pdf", "c.jpx", "d.jpeg", "e.tif", "f.webp", "g"}) {
    scratch.touch(name);
  }
  fs::create_directory(scratch.path / "x.png");
  fs::create_symlink(scratch.path / "a.GIF", scratch.path / "link.gif");
  EXPECT_FALSE(zq_isWebImagePath(scratch.at("missing.png")));
  EXPECT_TRUE(zq_isWebImagePath(scratch.at("a.GIF")));
  EXPECT_FALSE(zq_isWebImagePath(scratch.at("b.pdf")));
  EXPECT_TRUE(zq_isWebImagePath(scratch.at("c.jpx")));
  EXPECT_TRUE(zq_isWebImagePath(scratch.at("d.jpeg")));
  EXPECT_TRUE(zq_isWebImagePath(scratch.at("e.tif")));
  EXPECT_FALSE(zq_isWebImagePath(scratch.at("f.webp")));
  EXPECT_FALSE(zq_isWebImagePath(scratch.at("g")));
  EXPECT_FALSE(zq_isWebImagePath(scratch.at("x.png")));
  EXPECT_FALSE(zq_isWebImagePath(scratch.at("link.gif")));
  EXPECT_FALSE(zq_isWebImagePath(""));
}
