#include <gtest/gtest.h>

#include "Integrations/ZqClipPage.h"
#include "Integrations/ZqDEVONthinkRecord.h"
#include "Integrations/ZqTiming.h"
#include "ScopedEnvironment.h"
#include "scripting/AppleEvents.h"
#include "scripting/ScriptableApplications.h"

using velquarin::platform::AppleEventList;
using velquarin::platform::AppleEventManager;
using velquarin::platform::ScriptableApplications;

TEST(AppleEventListTest, InsertsAppendsReplacesOrRefuses) {
  struct Case {
    std::int64_t index;
    bool accepted;
    std::vector<std::string> after;
  };
  const std::vector<Case> cases = {{0, true, {"a", "b", "x"}}, {3, true, {"a", "b", "x"}},
                                   {1, true, {"x", "b"}},      {2, true, {"a", "x"}},
                                   {4, false, {"a", "b"}},     {-1, false, {"a", "b"}}};
  for (const auto& c : cases) {
    AppleEventList list;
    list.insert(0, "a");
    list.insert(0, "b");
    EXPECT_EQ(list.insert(c.index, "x"), c.accepted) << c.index;
    EXPECT_EQ(list.items(), c.after) << c.index;
  }
  EXPECT_EQ(velquarin::platform::fourCharCode("Tmng"), 0x546D6E67u);
  EXPECT_EQ(velquarin::platform::fourCharCode("----"), velquarin::platform::kKeyDirectObject);
  EXPECT_FALSE(velquarin::platform::fourCharCode("all"));
}

TEST(ZqTimingTest, EveryStringLandsInTheReplyInOrder) {
  ZqTiming::start([] { return std::vector<std::string>{"a", "b", "c"}; });
  const auto reply =
      AppleEventManager::shared().dispatch(ZqTiming::kEventClass, ZqTiming::kEventID);
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->parameters.at(velquarin::platform::kKeyDirectObject).items(),
            (std::vector<std::string>{"a", "b", "c"}));
}

TEST(ZqDEVONthinkRecordTest, SeveralFilesGoIntoOneGroupNamedForTheLocalTime) {
  ScopedEnvironment environment;
  environment.set("TZ", "Europe/Berlin");
  const std::string id = "test.archive.group";
  ScriptableApplications::add(
      id,
      {{"currentDatabase", "createLocation:in:", "import:from:name:placeholders:to:type:"}, {}});
  auto application = ZqSBApplication::applicationWithBundleIdentifier(id);
  // 2026-01-02 03:04:05 UTC is 04:04:05 in Berlin.
  auto group =
      ZqDEVONthinkRecord::importFiles({"/a/one.eml", "/b/two.pdf"}, application, 1767323045.0);
  ASSERT_TRUE(group && group->record());
  const auto messages = ScriptableApplications::messages(id);
  ASSERT_EQ(messages.size(), 4u);
  EXPECT_EQ(messages[1].arguments,
            nlohmann::json({"Velquarin Import 2026-01-02 04:04:05", id + "/1"}));
  for (std::size_t i = 2; i < 4; ++i) {
    EXPECT_EQ(messages[i].arguments[4], *group->record());
    EXPECT_EQ(messages[i].arguments[2], i == 2 ? "one.eml" : "two.pdf");
  }
  EXPECT_FALSE(ZqDEVONthinkRecord::importFiles({}, application, 0));
  ScriptableApplications::remove(id);
}

TEST(ZqClipPageTest, TrimsUnicodeWhiteSpaceAtBothEnds) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {" \t\n a b \r\n", "a b"},
      {"\u00a0\u2028x\u3000y\u202f\u0085", "x\u3000y"},
      {"\u00a0 \u2029", ""},
      {"\u00e9", "\u00e9"},  // a letter whose bytes are not white space
  };
  for (const auto& [text, trimmed] : cases) EXPECT_EQ(ZqTrimWhitespace(text), trimmed) << text;
}
