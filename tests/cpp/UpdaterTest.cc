#include <gtest/gtest.h>

#include "Application/ZqApplicationUpdate.h"
#include "Replies/ZqReplies.h"
#include "support/Attachment.h"
#include "updater/Appcast.h"
#include "updater/Updater.h"
#include "updater/VersionComparator.h"

namespace updater = velquarin::platform::updater;

TEST(VersionComparator, OrdersAsPeopleRead) {
  const std::vector<std::pair<std::string, std::string>> ascending{
      {"3.9", "3.10"},  {"1.0b1", "1.0"},   {"1.0", "1.0.1"},
      {"1.0a", "1.0b"}, {"1.0b2", "1.0.1"}, {"99999999999999999999", "100000000000000000000"},
      {"", "0"}};
  for (const auto& [older, newer] : ascending) {
    EXPECT_LT(updater::compareVersions(older, newer), 0) << older << " < " << newer;
    EXPECT_GT(updater::compareVersions(newer, older), 0) << newer << " > " << older;
  }
  EXPECT_EQ(updater::compareVersions("1.010", "1.10"), 0);
}

TEST(Updater, AddsParametersBeforeTheFragment) {
  const std::vector<updater::FeedParameter> parameters{{"a b", "ü&=", "", ""}, {"k", "", "", ""}};
  const std::vector<std::pair<std::string, std::string>> cases{
      {"http://h/f", "http://h/f?a%20b=%C3%BC%26%3D&k="},
      {"http://h/f?x=1#top", "http://h/f?x=1&a%20b=%C3%BC%26%3D&k=#top"},
      {"http://h/f?", "http://h/f?a%20b=%C3%BC%26%3D&k="}};
  for (const auto& [url, expected] : cases) {
    EXPECT_EQ(updater::Updater::urlWithParameters(url, parameters), expected);
  }
}

TEST(ZqApplicationUpdate, SendsNoneWithoutAPreferredLanguageAndTheBuildTypeOnlyWhenNotStable) {
  const auto stable = ZqApplicationUpdate::moduleParameters("stable", {});
  ASSERT_EQ(stable.size(), 4u);
  EXPECT_EQ(stable[3].key, "selectedLanguage");
  EXPECT_EQ(stable[3].value, "None");
  EXPECT_EQ(stable[0].displayKey, "macOS Version");
  const auto test = ZqApplicationUpdate::moduleParameters("test", {"de-CH"});
  ASSERT_EQ(test.size(), 5u);
  EXPECT_EQ(test[3].value, "de-CH");
  EXPECT_EQ(test[4].key + "=" + test[4].value + "/" + test[4].displayKey,
            "buildType=test/Build Type");
}

TEST(Appcast, KeepsTheFirstPreferredLanguageElseTheFirst) {
  const auto appcast = updater::parseAppcast(
      "<rss><channel><item><title>One</title><title xml:lang='fr'>Un</title>"
      "<title xml:lang='de'>Eins</title><link>a</link><link xml:lang='it'>b</link></item>"
      "</channel></rss>",
      {"de-CH", "fr"});
  ASSERT_TRUE(appcast);
  EXPECT_EQ(appcast->items.at(0).properties["title"], "Eins");
  EXPECT_EQ(appcast->items.at(0).properties["link"], "a");
}

TEST(ScreenShotAttachment, DrawsAnnotationsOnTheImagesPixels) {
  namespace platform = velquarin::platform;
  std::vector<std::uint8_t> red(4 * 4 * 4, 255);
  for (std::size_t i = 0; i < red.size(); i += 4) red[i + 1] = red[i + 2] = 0;
  auto shot = platform::support::ScreenShotAttachment::attachmentWithImage(
      platform::Image::fromRGBA(4, 4, red));
  shot->setAnnotations({{{0, 0, 2, 2}, {0, 0, 1, 1}, ""}});
  const auto pixels = shot->composedImage()->rgbaPixels();
  ASSERT_EQ(pixels.size(), red.size());
  // The lower-left quarter is blue (bottom rows come last), the rest stays red.
  EXPECT_EQ(std::vector<int>(pixels.begin() + 48, pixels.begin() + 52),
            (std::vector<int>{0, 0, 255, 255}));
  EXPECT_EQ(std::vector<int>(pixels.begin(), pixels.begin() + 4),
            (std::vector<int>{255, 0, 0, 255}));
  EXPECT_EQ(ZqAnnotatedImageFileName("a/b\\c?d%e*f|g\"h<i>j"), "a_b_c_d_e_f_g_h_i_j.png");
}
