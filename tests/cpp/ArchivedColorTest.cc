#include <gtest/gtest.h>

#include <plist/plist.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>

#include "Migration/ZqAccounts.h"
#include "TempFolder.h"
#include "objectgraph/ArchivedColor.h"

namespace zq_graph = velquarin::platform::objectgraph;
using zq_graph::Color;

namespace {

const std::string kFixtures = std::string(VELQUARIN_SOURCE_DIR) + "/tests/fixtures/migration/";

// A keyed archive whose objects are "$null" then `objects`, rooted at object `root`.
std::vector<std::uint8_t> archive(std::vector<plist_t> objects, std::uint64_t root = 1) {
  plist_t dict = plist_new_dict();
  plist_dict_set_item(dict, "$archiver", plist_new_string("NSKeyedArchiver"));
  plist_t top = plist_new_dict();
  plist_dict_set_item(top, "root", plist_new_uid(root));
  plist_dict_set_item(dict, "$top", top);
  plist_t array = plist_new_array();
  plist_array_append_item(array, plist_new_string("$null"));
  for (plist_t object : objects) plist_array_append_item(array, object);
  plist_dict_set_item(dict, "$objects", array);
  char* bytes = nullptr;
  std::uint32_t length = 0;
  plist_to_bin(dict, &bytes, &length);
  plist_free(dict);
  std::vector<std::uint8_t> result(bytes, bytes + length);
  plist_to_bin_free(bytes);
  return result;
}

// A colour object of a colour space with its components member as archived text.
plist_t colour(std::uint64_t space, const char* key = nullptr, const std::string& text = "") {
  plist_t object = plist_new_dict();
  plist_dict_set_item(object, "NSColorSpace", plist_new_uint(space));
  if (key) {
    const std::string bytes = text + '\0';
    plist_dict_set_item(object, key, plist_new_data(bytes.data(), bytes.size()));
  }
  return object;
}

plist_t named(std::uint64_t fallback) {
  plist_t object = colour(6);
  plist_dict_set_item(object, "NSColorName", plist_new_string("controlAccentColor"));
  plist_dict_set_item(object, "NSColor", plist_new_uid(fallback));
  return object;
}

void expectColor(const std::optional<Color>& actual, Color expected) {
  ASSERT_TRUE(actual);
  EXPECT_NEAR(actual->red, expected.red, 1e-9);
  EXPECT_NEAR(actual->green, expected.green, 1e-9);
  EXPECT_NEAR(actual->blue, expected.blue, 1e-9);
  EXPECT_NEAR(actual->alpha, expected.alpha, 1e-9);
}

}  // namespace

TEST(ArchivedColor, ColourSpaces) {
  expectColor(zq_graph::unarchiveColor(archive({colour(1, "NSRGB", "0.2 0.4 0.6")})),
              {0.2, 0.4, 0.6, 1});
  expectColor(zq_graph::unarchiveColor(archive({colour(2, "NSRGB", " 1 0 0.5 0.25 ")})),
              {1, 0, 0.5, 0.25});
  expectColor(zq_graph::unarchiveColor(archive({colour(3, "NSWhite", "0.5")})), {0.5, 0.5, 0.5, 1});
  expectColor(zq_graph::unarchiveColor(archive({colour(5, "NSCMYK", "0 0.5 1 0.5 0.8")})),
              {0.5, 0.25, 0, 0.8});
  // A named colour is read through the RGB colour archived with it.
  expectColor(zq_graph::unarchiveColor(archive({named(2), colour(1, "NSRGB", "0 0 1")})),
              {0, 0, 1, 1});
  // Out-of-range components are clamped.
  expectColor(zq_graph::unarchiveColor(archive({colour(1, "NSRGB", "1.5 -2 0.5")})),
              {1, 0, 0.5, 1});
}

TEST(ArchivedColor, HostileArchivesGiveNothing) {
  const auto nothing = [](const std::vector<std::uint8_t>& bytes) {
    return !zq_graph::unarchiveColor(bytes).has_value();
  };
  EXPECT_TRUE(nothing({}));
  EXPECT_TRUE(nothing({'b', 'p', 'l', 'i', 's', 't', '0', '0', 0xd4, 0x01}));  // cut short
  EXPECT_TRUE(nothing(archive({colour(1, "NSRGB", "0 0 1")}, 7)));             // root out of range
  EXPECT_TRUE(nothing(archive({colour(1, "NSRGB", "0 0 1")}, 0)));             // root is "$null"
  EXPECT_TRUE(nothing(archive({colour(1, "NSRGB", "0 0")})));                  // too few
  EXPECT_TRUE(nothing(archive({colour(1, "NSRGB", "0 0 0 0 0")})));            // too many
  EXPECT_TRUE(nothing(archive({colour(1, "NSRGB", "0 nan 1")})));
  EXPECT_TRUE(nothing(archive({colour(1, "NSRGB", "0 1e999 1")})));
  EXPECT_TRUE(nothing(archive({colour(1, "NSRGB", "0 0x1 1")})));
  EXPECT_TRUE(nothing(archive({colour(9, "NSRGB", "0 0 1")})));  // unknown colour space
  EXPECT_TRUE(nothing(archive({colour(1)})));                    // no components
  EXPECT_TRUE(nothing(archive({plist_new_string("not a colour")})));
  EXPECT_TRUE(nothing(archive({named(1)})));            // names itself
  EXPECT_TRUE(nothing(archive({named(2), named(1)})));  // two names in a ring
  EXPECT_TRUE(nothing(archive({named(40)})));           // a fallback out of range
  std::vector<std::uint8_t> large = archive({colour(1, "NSRGB", "0 0 1")});
  large.resize(zq_graph::kMaxColorArchiveBytes + 1);
  EXPECT_TRUE(nothing(large));
}

TEST(ArchivedColor, AccountColour) {
  TempFolder folder;
  const std::string path = folder / "Accounts.xml";
  std::filesystem::copy_file(kFixtures + "Accounts.xml", path);
  {
    ZqAccounts accounts(path);
    // Stored by the previous version; absent; then set here and saved.
    expectColor(accounts.findByUsername("zoe@example.com")->color(), {0.2, 0.4, 0.6, 1});
    ZqAccount bob = *accounts.findByUsername("bob@example.com");
    EXPECT_EQ(bob.color(), Color::systemBlue());
    bob.setColor({0.1, 0.7, 0.3, 0.5});
    EXPECT_EQ(bob.color(), (Color{0.1, 0.7, 0.3, 0.5}));
    ASSERT_TRUE(accounts.store());
  }
  ZqAccounts reopened(path);
  EXPECT_EQ(reopened.findByUsername("bob@example.com")->color(), (Color{0.1, 0.7, 0.3, 0.5}));
  // Data that is no colour archive falls back to the system blue.
  ZqAccount ann = *reopened.findByUsername("ann@example.com");
  ann.object()->setValue("colorData",
                         zq_graph::Value{zq_graph::AttributeType::Binary, zq_graph::Data{1, 2, 3}});
  EXPECT_EQ(ann.color(), Color::systemBlue());
}
