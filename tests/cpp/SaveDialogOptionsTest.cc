#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "Extensions/ZqSaveDialogOptions.h"

namespace {

ZqSaveDialogOptions parse(const std::string& text) {
  std::string error;
  auto options = ZqSaveDialogOptionsFromJSON(text, &error);
  EXPECT_TRUE(options.has_value()) << text << ": " << error;
  return options.value_or(ZqSaveDialogOptions{});
}

}  // namespace

TEST(SaveDialogOptions, FolderIsMadeAbsoluteAndNormal) {
  const auto options = parse(R"({"destination-path": "/srv//exports/./a/../b", "filename": "x"})");
  EXPECT_EQ(options.directory, "/srv/exports/b");
  EXPECT_EQ(options.filename, "x");
  const auto relative = parse(R"({"destination-path": "reports/../out"})");
  EXPECT_EQ(relative.directory, (std::filesystem::current_path() / "out").string());
  EXPECT_EQ(parse(R"({"destination-path": "/../.."})").directory, "/");
}

// An empty folder would make the chosen name a relative path; a NUL would cut the folder
// short where the file system reads it. Both count as no folder (the home folder is shown).
TEST(SaveDialogOptions, EmptyOrNulFolderCountsAsNotGiven) {
  EXPECT_FALSE(parse(R"({"destination-path": ""})").directory.has_value());
  EXPECT_FALSE(parse(R"({"destination-path": "/tmp\u0000/etc"})").directory.has_value());
  EXPECT_FALSE(parse(R"({"destination-path": 7, "filename": ["x"]})").directory.has_value());
  EXPECT_FALSE(parse(R"({"filename": null})").filename.has_value());
}

TEST(SaveDialogOptions, TextThatIsNotAnObjectIsRefusedWithAReason) {
  for (const char* text : {"", "[]", "\"text\"", "{", "{\"a\": 1} x"}) {
    std::string error;
    EXPECT_FALSE(ZqSaveDialogOptionsFromJSON(text, &error).has_value()) << text;
    EXPECT_FALSE(error.empty()) << text;
  }
}
