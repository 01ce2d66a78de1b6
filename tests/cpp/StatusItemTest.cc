#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "ScopedEnvironment.h"
#include "StatusItem/ZqAccountStatusMenuItem.h"
#include "StatusItem/ZqHostFormat.h"
#include "StatusItem/ZqStatusItemController.h"
#include "StatusItem/ZqStatusItemMessageMenuItem.h"
#include "TempFolder.h"
#include "bundle/Bundle.h"
#include "defaults/UserDefaults.h"
#include "drawing/Graphics.h"
#include "images/Image.h"
#include "menus/Menu.h"
#include "menus/StatusBar.h"
#include "notificationcenter/NotificationCenter.h"

using velquarin::platform::Color;
using velquarin::platform::ControlState;
using velquarin::platform::Font;
using velquarin::platform::Image;
using velquarin::platform::Menu;
using velquarin::platform::MenuItem;
using velquarin::platform::Notification;
using velquarin::platform::NotificationCenter;
using velquarin::platform::StatusBar;
using velquarin::platform::UserDefaults;
using json = nlohmann::json;

// Fontconfig keeps its configuration and pattern caches for the life of the process (it is
// never finalised while pango may still use it); LeakSanitizer reports them at exit.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n";
}

namespace {

std::string fill(std::string_view format, std::string_view label, std::uint64_t count) {
  const ZqHostFormatArg args[] = {label, count};
  return ZqFillHostFormat(format, args);
}

struct Pixel {
  int r, g, b, a;
};

Pixel pixelAt(const Image& image, int x, int y) {
  const auto rgba = image.rgbaPixels();
  const std::size_t at = (static_cast<std::size_t>(y) * image.pixelsWide() + x) * 4;
  return Pixel{rgba[at], rgba[at + 1], rgba[at + 2], rgba[at + 3]};
}

// Opaque, nearly white pixels: the badge text.
int whitePixels(const Image& image) {
  const auto rgba = image.rgbaPixels();
  int count = 0;
  for (std::size_t i = 0; i < rgba.size(); i += 4) {
    if (rgba[i] > 200 && rgba[i + 1] > 200 && rgba[i + 2] > 200 && rgba[i + 3] > 200) ++count;
  }
  return count;
}

std::vector<std::string> titles(const Menu& menu) {
  std::vector<std::string> result;
  for (const auto& item : menu.items()) {
    result.push_back(item->isSeparatorItem() ? "---" : item->displayedTitle());
  }
  return result;
}

const json kTranslations = {{"get-new-mail", "Get Mail"},
                            {"do-not-disturb?", "Quiet"},
                            {"compose-new-message", "Compose"},
                            {"sign-in-format", "Sign in to %@"},
                            {"open-with-counter-format", "%1$@ (%2$lu)"},
                            {"open-format", "Open %@"},
                            {"sign-in", "Sign in"}};

// A controller of its own on the system status bar, with the two defaults keys cleared.
class StatusItemControllerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    defaults = UserDefaults::standard();
    defaults->remove("DisplayStatusItem");
    defaults->remove("DoNotDisturb");
    controller = ZqStatusItemController::create();
    controller->setMenuNeedsUpdateCallback([this](const std::string& type, bool full) {
      calls.emplace_back(type, full);
      return content;
    });
  }
  void TearDown() override {
    controller.reset();
    defaults->remove("DisplayStatusItem");
    defaults->remove("DoNotDisturb");
  }
  void accounts(json count) {
    NotificationCenter::defaultCenter().post(kZqNumberOfAccountsChanged, nullptr,
                                             json{{"num-accounts", count}});
  }
  std::shared_ptr<Menu> build(bool full) {
    auto menu = std::make_shared<Menu>();
    controller->menuNeedsUpdate(*menu, full ? "status-item" : "dock", full);
    return menu;
  }

  std::shared_ptr<UserDefaults> defaults;
  std::shared_ptr<ZqStatusItemController> controller;
  json content = json::object();
  std::vector<std::pair<std::string, bool>> calls;
};

}  // namespace

// The ordinary conversions are replayed against a reference by fuzz/host_format.cc.
TEST(ZqFillHostFormat, HostileSequencesStayText) {
  // Nothing here may read memory or write through a pointer: each stays as written.
  EXPECT_EQ(fill("%s%s%s%n%x %p", "W", 1), "%s%s%s%n%x %p");
  EXPECT_EQ(fill("%5d|%-@|%.3@", "W", 1), "%5d|%-@|%.3@");
  EXPECT_EQ(fill("%@ %@ %@", "W", 2), "W 2 %@");  // a third argument does not exist
  EXPECT_EQ(fill("%3$@ %0$@ %99999999999999999999$@", "W", 2), "%3$@ %0$@ %99999999999999999999$@");
  EXPECT_EQ(fill("%d then %@", "W", 2), "%d then 2");  // a label is not a number
  EXPECT_EQ(fill("ends with %", "W", 2), "ends with %");
  EXPECT_EQ(fill("%l %ll %z %1$", "W", 2), "%l %ll %z %1$");
  EXPECT_EQ(fill("", "W", 2), "");
  EXPECT_EQ(fill("%@", "%d %@", 2), "%d %@");  // arguments are never formats
}

TEST(ZqTruncateCharacters, CutsAfterSixtyCodePointsNeverInsideOne) {
  const std::string sixty(60, 'a');
  EXPECT_EQ(ZqStatusItemMessageMenuItem(sixty, "", "").displayedTitle(), sixty);
  const auto cut = ZqStatusItemMessageMenuItem(sixty + "b", "", "").displayedTitle();
  EXPECT_EQ(cut, sixty + "...");
  EXPECT_EQ(cut.size(), 63u);

  // 59 letters then an emoji (4 bytes) as the 60th character, then more.
  const std::string emoji = "\xF0\x9F\x98\x80";
  const std::string text = std::string(59, 'a') + emoji + "zz";
  EXPECT_EQ(ZqTruncateCharacters(text, 60), std::string(59, 'a') + emoji + "...");
  EXPECT_EQ(ZqTruncateCharacters(std::string(59, 'a') + emoji, 60), std::string(59, 'a') + emoji);
  // Multi-byte characters count once each: 60 of them stay whole.
  std::string accents;
  for (int i = 0; i < 60; ++i) accents += "\xC3\xA9";
  EXPECT_EQ(ZqTruncateCharacters(accents, 60), accents);
  EXPECT_EQ(ZqTruncateCharacters(accents + "\xC3\xA9", 60), accents + "...");
}

TEST(ZqAccountStatusMenuItem, BadgeShowsCountsOneToNinetyNineAndTheErrorMark) {
  ZqAccountStatusMenuItem item("Work", Color{0.8, 0.1, 0.1, 1}, "showTabViewItem:", "");
  const auto plain = [&] { return whitePixels(*item.image()); };
  ASSERT_TRUE(item.image());
  EXPECT_EQ(item.image()->pixelsWide(), 16);
  EXPECT_EQ(item.image()->pixelsHigh(), 16);
  // The circle in the account's colour, transparent corners.
  const Pixel centre = pixelAt(*item.image(), 8, 8);
  EXPECT_NEAR(centre.r, 204, 2);
  EXPECT_NEAR(centre.g, 26, 2);
  EXPECT_EQ(centre.a, 255);
  EXPECT_EQ(pixelAt(*item.image(), 0, 0).a, 0);
  EXPECT_EQ(pixelAt(*item.image(), 15, 15).a, 0);
  EXPECT_EQ(plain(), 0);

  item.setCount(1);
  EXPECT_EQ(item.badgeText(), "1");
  const int one = plain();
  EXPECT_GT(one, 0);
  item.setCount(99);
  EXPECT_GT(plain(), one);  // two digits cover more than one
  item.setCount(100);
  EXPECT_EQ(plain(), 0);
  item.setCount(0);
  EXPECT_EQ(plain(), 0);
  item.setIsInError(true);
  EXPECT_EQ(item.badgeText(), "!");
  EXPECT_GT(plain(), 0);
  // The initialiser and each setter that changes the badge redraw: 0 after 100 does not.
  EXPECT_EQ(item.imageUpdates(), 5u);
  item.setColor(Color{0, 0, 1, 1});
  EXPECT_EQ(item.imageUpdates(), 6u);
  EXPECT_EQ(pixelAt(*item.image(), 3, 8).b, 255);
  EXPECT_EQ(pixelAt(*item.image(), 3, 8).r, 0);
}

TEST(ZqAccountStatusMenuItem, TextIsCentredInTheUpperPartOfTheCircle) {
  const auto image = ZqAccountStatusMenuItem::drawBadge(Color{0, 0, 0, 1}, "8");
  double sumX = 0, sumY = 0;
  int count = 0;
  const auto rgba = image->rgbaPixels();
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      if (rgba[(y * 16 + x) * 4] > 128) {
        sumX += x;
        sumY += y;
        ++count;
      }
    }
  }
  ASSERT_GT(count, 0);
  EXPECT_NEAR(sumX / count, 7.5, 1.0);
  EXPECT_NEAR(sumY / count, 7.5, 2.0);  // the 14.5-point box starts 1.5 points from the top
}

// The display switch and the do-not-disturb menu are pinned by tests/js/statusitem.test.js.
TEST_F(StatusItemControllerTest, ShownForAccountsWithTheirCountRead) {
  EXPECT_EQ(controller->numberOfAccounts(), -1);
  EXPECT_FALSE(controller->statusItem());
  accounts(1);  // "DisplayStatusItem" absent: shown
  ASSERT_TRUE(controller->statusItem());
  EXPECT_TRUE(controller->statusItem()->isVisible());
  EXPECT_TRUE(controller->statusItem()->highlightMode());
  EXPECT_EQ(controller->statusItem()->length(), 29);
  accounts(json());  // no count: 0 accounts
  EXPECT_EQ(controller->numberOfAccounts(), 0);
  EXPECT_FALSE(controller->statusItem());
  accounts(2.9);
  EXPECT_EQ(controller->numberOfAccounts(), 2);
  EXPECT_TRUE(controller->statusItem());
}

TEST_F(StatusItemControllerTest, TitleAndErrorsSetIconAndLength) {
  accounts(1);
  auto item = [this] { return controller->statusItem(); };
  const double width = velquarin::platform::measureText("3 new", Font::menuBarFont()).width;
  EXPECT_GT(width, 20);

  controller->setTitle(std::string("3 new"));
  EXPECT_DOUBLE_EQ(item()->length(), width + 29);
  EXPECT_EQ(item()->title(), "3 new");
  EXPECT_FALSE(item()->imageIsTemplate());  // tinted blue
  const Pixel tinted = pixelAt(*item()->image(), 1, 9);
  EXPECT_EQ(tinted.a, 255);
  EXPECT_EQ(tinted.r, 0x4F);
  EXPECT_EQ(tinted.b, 0xF8);

  controller->setHasErrors(true);
  EXPECT_DOUBLE_EQ(item()->length(), width + 35);
  EXPECT_TRUE(item()->imageIsTemplate());  // the error template, not tinted
  EXPECT_EQ(pixelAt(*item()->image(), 1, 9).r, 0);

  controller->setTitle(std::nullopt);
  EXPECT_DOUBLE_EQ(item()->length(), 35);
  EXPECT_FALSE(item()->title());
}

TEST_F(StatusItemControllerTest, SameTitleRedrawsOnceNullEveryTime) {
  accounts(1);
  const auto before = controller->iconUpdates();
  controller->setTitle(std::string("a"));
  controller->setTitle(std::string("a"));
  EXPECT_EQ(controller->iconUpdates(), before + 1);
  controller->setTitle(std::nullopt);
  controller->setTitle(std::nullopt);
  EXPECT_EQ(controller->iconUpdates(), before + 3);
  controller->setHasErrors(false);  // unchanged
  EXPECT_EQ(controller->iconUpdates(), before + 3);
}

TEST_F(StatusItemControllerTest, DoNotDisturbShowsTheGreyIconWithoutTitle) {
  accounts(2);
  controller->setTitle(std::string("12 new"));
  defaults->set("DoNotDisturb", true);
  const auto& item = controller->statusItem();
  EXPECT_FALSE(item->imageIsTemplate());
  const Pixel grey = pixelAt(*item->image(), 1, 9);
  EXPECT_NEAR(grey.r, 170, 1);
  EXPECT_EQ(grey.r, grey.g);
  EXPECT_EQ(grey.g, grey.b);

  content = {
      {"translations", kTranslations},
      {"accounts", json::array({{{"id", 1},
                                 {"label", "Work"},
                                 {"unread-counter-value", 4},
                                 {"unread-messages", json::array({{{"subject", "hi"}}})}}})}};
  auto compact = build(false);
  EXPECT_EQ(titles(*compact),
            (std::vector<std::string>{"Get Mail", "Quiet", "Compose", "---", "Open Work"}));
  // The count is kept (and drawn) even though the title does not show it.
  EXPECT_EQ(static_cast<ZqAccountStatusMenuItem&>(*compact->itemAt(4)).count(), 4u);

  defaults->set("DoNotDisturb", false);
  EXPECT_EQ(controller->statusItem()->length(),
            velquarin::platform::measureText("12 new", Font::menuBarFont()).width + 29);
}

TEST_F(StatusItemControllerTest, BuildsBothFormsFromTheContent) {
  const std::string longSubject(70, 's');
  content = json::parse(R"({"accounts": [
      {"id": 9223372036854775807, "label": "Work", "unread-counter-value": 2,
       "hex-color": "00FF00", "unread-messages": [
         {"from-line": "Ann", "subject": "Hi", "snippet": "first lines", "unique-id": 18446744073709551615},
         {"from-line": "Bob", "subject": ")" +
                        longSubject + R"(", "unique-id": {"k": [1]}}]},
      {"id": "p", "label": "Home", "requires-oauth?": true, "unread-counter-value": 5,
       "unread-messages": [{"subject": "never listed"}]},
      {"label": "Old"}]})");
  content["translations"] = kTranslations;

  auto full = build(true);
  EXPECT_EQ(calls.back(), (std::pair<std::string, bool>{"status-item", true}));
  EXPECT_EQ(titles(*full),
            (std::vector<std::string>{"Get Mail", "Quiet", "Compose", "---", "Work", "Ann - Hi",
                                      "Bob - " + std::string(54, 's') + "...", "---", "Home",
                                      "Sign in", "---", "Old"}));
  EXPECT_EQ(full->itemAt(4)->representedObject(), json(9223372036854775807LL));
  EXPECT_TRUE(full->itemAt(5)->representedObject().is_number_unsigned());
  EXPECT_EQ(full->itemAt(5)->representedObject().get<std::uint64_t>(), 18446744073709551615ull);
  EXPECT_EQ(full->itemAt(5)->toolTip(), "first lines");
  EXPECT_EQ(full->itemAt(5)->displayedFont().size, Font::kSmallSystemFontSize);
  EXPECT_EQ(full->itemAt(6)->representedObject(), json::parse(R"({"k": [1]})"));
  auto& home = static_cast<ZqAccountStatusMenuItem&>(*full->itemAt(8));
  EXPECT_TRUE(home.isInError());
  EXPECT_EQ(full->itemAt(9)->action(), "loginOAuth:");
  EXPECT_EQ(full->itemAt(9)->representedObject(), "p");
  auto& old = static_cast<ZqAccountStatusMenuItem&>(*full->itemAt(11));
  EXPECT_TRUE(old.representedObject().is_null());
  EXPECT_EQ(pixelAt(*old.image(), 8, 8).r, 0);  // no colour: black
  for (const auto& item : full->items()) {
    EXPECT_EQ(item->keyEquivalent(), "");
    EXPECT_EQ(item->tag(), 0);
  }

  auto compact = build(false);
  EXPECT_EQ(calls.back(), (std::pair<std::string, bool>{"dock", false}));
  EXPECT_EQ(titles(*compact),
            (std::vector<std::string>{"Get Mail", "Quiet", "Compose", "---", "Work (2)",
                                      "Sign in to Home", "Open Old"}));
  EXPECT_EQ(compact->itemAt(5)->action(), "loginOAuth:");
  auto& signIn = static_cast<ZqAccountStatusMenuItem&>(*compact->itemAt(5));
  EXPECT_TRUE(signIn.isInError());
  EXPECT_EQ(signIn.count(), 0u);
  EXPECT_EQ(signIn.badgeText(), "!");
}

TEST_F(StatusItemControllerTest, OddCountsAndFieldsAreClampedNotTrusted) {
  content = json::parse(R"({"translations": {"open-with-counter-format": "%@:%lu",
                                             "open-format": "%@:none"},
      "accounts": [
        {"label": "neg", "unread-counter-value": -3},
        {"label": "frac", "unread-counter-value": 2.7},
        {"label": "tiny", "unread-counter-value": 0.5},
        {"label": "huge", "unread-counter-value": 1e300},
        {"label": "text", "unread-counter-value": "5"},
        {"label": 12, "unread-counter-value": true, "hex-color": 255},
        "not an account",
        {"label": "msgs", "unread-messages": "nope"}]})");
  EXPECT_EQ(titles(*build(false)),
            (std::vector<std::string>{"", "", "", "---", "neg:none", "frac:2", "tiny:none",
                                      "huge:18446744073709551615", "text:none", ":none", ":none",
                                      "msgs:none"}));
  EXPECT_EQ(titles(*build(true)).size(), 3u + 2 * 8);
}

TEST_F(StatusItemControllerTest, ActionsPostTheirNotificationsWithIdentifiersUnchanged) {
  std::vector<Notification> posted;
  auto& center = NotificationCenter::defaultCenter();
  const auto observer =
      center.addObserver(std::nullopt, controller.get(), NotificationCenter::Delivery::Posting,
                         [&](const Notification& n) { posted.push_back(n); });
  content = json::parse(R"({"accounts": [
      {"id": 9007199254740993, "label": "A", "unread-messages": [{"unique-id": "m-1"}]},
      {"id": 2.5, "label": "B", "requires-oauth?": true}]})");
  accounts(2);
  auto& bar = StatusBar::system();
  auto item = controller->statusItem();
  for (std::size_t index : {0u, 1u, 2u, 4u, 5u, 8u}) {
    ASSERT_TRUE(bar.openMenu(item));
    EXPECT_TRUE(bar.chooseItem({index}));
  }
  center.removeObserver(observer);
  ASSERT_EQ(posted.size(), 6u);
  EXPECT_EQ(posted[0].name, kZqGetNewMessagesNotification);
  EXPECT_TRUE(posted[0].userInfo.is_null());
  EXPECT_EQ(posted[1].name, kZqToggleDoNotDisturbNotification);
  EXPECT_EQ(posted[2].name, kZqComposeNewMessageNotification);
  EXPECT_EQ(posted[3].name, kZqActivateTabForAccountNotification);
  EXPECT_EQ(posted[3].userInfo, json::parse(R"({"account-db-id": 9007199254740993})"));
  EXPECT_EQ(posted[4].name, kZqOpenMessageWithUniqueNotificationId);
  EXPECT_EQ(posted[4].userInfo, json::parse(R"({"unique-id": "m-1"})"));
  EXPECT_EQ(posted[5].name, kZqOpenOAuthWindowForAccountNotification);
  EXPECT_EQ(posted[5].userInfo, json::parse(R"({"account-db-id": 2.5})"));
  // Toggling changes nothing by itself: the host writes the key.
  EXPECT_FALSE(controller->doNotDisturbEnabled());
  // Separators cannot be chosen.
  ASSERT_TRUE(bar.openMenu(item));
  EXPECT_FALSE(bar.chooseItem({3}));
  EXPECT_FALSE(bar.chooseItem({99}));
  bar.closeMenu();
}

TEST_F(StatusItemControllerTest, ANestedBuildOfTheSameMenuLeavesNoDuplicates) {
  auto menu = std::make_shared<Menu>();
  int depth = 0;
  content = {{"accounts", json::array({{{"label", "A"}}})}};
  controller->setMenuNeedsUpdateCallback([&](const std::string&, bool) {
    if (depth++ == 0) controller->menuNeedsUpdate(*menu, "dock", false);
    return content;
  });
  controller->menuNeedsUpdate(*menu, "dock", false);
  EXPECT_EQ(menu->numberOfItems(), 5u);
}

TEST_F(StatusItemControllerTest, WithoutContentSourceTheMenuStaysEmpty) {
  accounts(1);
  controller->setMenuNeedsUpdateCallback(nullptr);
  auto menu = build(true);
  EXPECT_EQ(menu->numberOfItems(), 0u);  // no source: the menu stays empty
}

TEST_F(StatusItemControllerTest, CommandTitlesGoThroughTheApplicationsStringTables) {
  TempFolder bundle;
  std::filesystem::create_directories(bundle / "Resources/de.lproj");
  std::ofstream(bundle / "Resources/de.lproj/Localizable.strings")
      << "<plist version=\"1.0\"><dict><key>Get Mail</key><string>Abrufen</string></dict></plist>";
  const std::string previous = velquarin::platform::Bundle::main()->path();
  velquarin::platform::Bundle::setMainPath(bundle.path());
  ScopedEnvironment environment;
  environment.set("LANGUAGE", "de");
  environment.set("LC_ALL", std::nullopt);
  environment.set("LC_MESSAGES", std::nullopt);
  environment.set("LANG", "en_US.UTF-8");
  content = json{{"translations", kTranslations}};
  const auto menu = titles(*build(true));
  velquarin::platform::Bundle::setMainPath(previous);
  EXPECT_EQ(std::vector<std::string>(menu.begin(), menu.begin() + 3),
            (std::vector<std::string>{"Abrufen", "Quiet", "Compose"}));
}
