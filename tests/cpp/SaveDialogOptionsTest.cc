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

// Text that is not an object, and values of other types, are pinned by tests/js/files.test.js.
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
  EXPECT_FALSE(parse(R"({"filename": null})").filename.has_value());
}
