#include "bundle/Bundle.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using velquarin::platform::Bundle;

// The sample bundle's facts are pinned by tests/js/environment.test.js and logging.test.js.
TEST(Bundle, ResourcesAreFoundByNameOnly) {
  namespace fs = std::filesystem;
  const fs::path root = fs::temp_directory_path() / "velquarin-bundle-test";
  fs::remove_all(root);
  fs::create_directories(root / "Resources");
  std::ofstream(root / "Resources" / "New Mail.wav") << "x";
  std::ofstream(root / "secret.wav") << "x";
  auto bundle = Bundle::load(root.string());
  EXPECT_TRUE(bundle->infoDictionary().is_object());  // no Info.plist: empty, not a failure
  EXPECT_TRUE(bundle->pathForResource("New Mail", "wav").has_value());
  EXPECT_FALSE(bundle->pathForResource("../secret", "wav").has_value());
  EXPECT_FALSE(bundle->pathForResource("..", "").has_value());
  EXPECT_FALSE(bundle->pathForResource("Missing", "wav").has_value());
  fs::remove_all(root);
}
