#include "icons/IconTheme.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "TempFolder.h"

using velquarin::platform::IconTheme;

namespace {

void write(const std::string& path, const std::string& text = "") {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream(path) << text;
}

// Two base folders (the theme spread over both), a parent, hicolor and a pixmaps folder.
struct Themes {
  TempFolder root;
  Themes() {
    write(root / "b1/Pinned/index.theme",
          "[Icon Theme]\nName=Pinned\nInherits=Parent,Pinned\n"
          "Directories=16x16/apps,22x22/apps,48x48/apps,scalable/apps\n"
          "ScaledDirectories=16x16@2/apps\n"
          "[16x16/apps]\nSize=16\nType=Fixed\n[22x22/apps]\nSize=22\n"
          "[48x48/apps]\nSize=48\nType=Fixed\n"
          "[scalable/apps]\nSize=64\nType=Scalable\nMinSize=32\nMaxSize=256\n"
          "[16x16@2/apps]\nSize=16\nScale=2\nType=Fixed\n");
    for (const char* file : {"16x16/apps/a.png", "22x22/apps/a.png", "48x48/apps/a.png",
                             "scalable/apps/a.svg", "16x16@2/apps/a.png"}) {
      write(root / (std::string("b1/Pinned/") + file));
    }
    write(root / "b2/Pinned/16x16/apps/e.png");
    write(root / "b2/Parent/index.theme",
          "[Icon Theme]\nInherits=hicolor\nDirectories=16\n[16]\nSize=16\n");
    write(root / "b2/Parent/16/b.png");
    write(root / "b2/hicolor/index.theme", "[Icon Theme]\nDirectories=16\n[16]\nSize=16\n");
    write(root / "b2/hicolor/16/b.png");
    write(root / "b2/hicolor/16/c.png");
    write(root / "pixmaps/c.png");
    write(root / "pixmaps/d.png");
  }
  IconTheme theme(const std::string& name = "Pinned") const {
    return IconTheme(name, {root / "b1", root / "b2"}, {root / "pixmaps"});
  }
};

}  // namespace

TEST(IconTheme, ChainEndsWithHicolorAndSurvivesCyclesAndMissingThemes) {
  Themes themes;
  EXPECT_EQ(themes.theme().chain(), (std::vector<std::string>{"Pinned", "Parent", "hicolor"}));
  EXPECT_EQ(themes.theme("NotInstalled").chain(), (std::vector<std::string>{"hicolor"}));
  EXPECT_EQ(themes.theme("../b2/Parent").chain(), (std::vector<std::string>{"hicolor"}));
}

TEST(IconTheme, LookupMatchesSizeTypeAndScaleThenTheClosestThenTheChain) {
  Themes themes;
  const IconTheme theme = themes.theme();
  struct Case {
    std::vector<std::string> names;
    int size, scale;
    std::string expected;  // below the fixture's root; "" for nothing
  };
  const std::vector<Case> cases{
      {{"a"}, 16, 1, "b1/Pinned/16x16/apps/a.png"},       // Fixed, exact
      {{"a"}, 20, 1, "b1/Pinned/22x22/apps/a.png"},       // Threshold: 22 +- 2
      {{"a"}, 24, 1, "b1/Pinned/22x22/apps/a.png"},       //
      {{"a"}, 100, 1, "b1/Pinned/scalable/apps/a.svg"},   // Scalable: 32 to 256
      {{"a"}, 16, 2, "b1/Pinned/16x16@2/apps/a.png"},     // Scale must match
      {{"a"}, 30, 1, "b1/Pinned/scalable/apps/a.svg"},    // closest: 2 below MinSize
      {{"a"}, 8, 1, "b1/Pinned/16x16/apps/a.png"},        // closest: 8 below 16
      {{"b", "a"}, 16, 1, "b1/Pinned/16x16/apps/a.png"},  // names tried theme by theme
      {{"b"}, 16, 1, "b2/Parent/16/b.png"},               // the parent before hicolor
      {{"c"}, 16, 1, "b2/hicolor/16/c.png"},              // hicolor before pixmaps
      {{"d"}, 16, 1, "pixmaps/d.png"},
      {{"e"}, 16, 1, "b2/Pinned/16x16/apps/e.png"},  // the theme's copy in another base
      {{"missing"}, 16, 1, ""},
      {{"../Pinned/16x16/apps/a", ""}, 16, 1, ""},
  };
  for (const auto& c : cases) {
    const auto found = theme.lookup(c.names, c.size, c.scale);
    EXPECT_EQ(found.value_or(""), c.expected.empty() ? "" : themes.root / c.expected)
        << c.names.front() << " at " << c.size << "@" << c.scale;
  }
}
