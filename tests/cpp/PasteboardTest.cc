#include <gtest/gtest.h>

#include <map>

#include "Pasteboard/NSPasteboard+ZqExtensions.h"
#include "Pasteboard/ZqPasteboard.h"
#include "pasteboard/ClipboardConversion.h"
#include "pasteboard/Pasteboard.h"
#include "pasteboard/PasteboardTypes.h"

using namespace velquarin::platform;

namespace {

PasteboardBytes bytes(std::string_view text) {
  return PasteboardBytes(text.begin(), text.end());
}

std::string text(const std::optional<PasteboardBytes>& data) {
  return data ? std::string(data->begin(), data->end()) : "<none>";
}

// Another application's clipboard: fixed targets and data; reads of missing targets fail.
class FakeClipboard : public DesktopClipboard {
 public:
  std::string name() const override { return "fake"; }
  bool connected() const override { return true; }
  bool ownsClipboard() const override { return owned; }
  bool publish(std::shared_ptr<const ClipboardItems> items) override {
    if (refusePublish) return false;
    published = items;
    owned = true;
    return true;
  }
  std::optional<std::vector<std::string>> targets() override {
    if (!targetsReadable) return std::nullopt;
    std::vector<std::string> names;
    for (const auto& [target, data] : offered) names.push_back(target);
    return names;
  }
  std::optional<PasteboardBytes> read(const std::string& target) override {
    ++reads;
    for (const auto& [name, data] : offered) {
      if (name == target && data) return bytes(*data);
    }
    return std::nullopt;
  }

  std::vector<std::pair<std::string, std::optional<std::string>>> offered;
  bool owned = false;
  bool targetsReadable = true;
  bool refusePublish = false;
  int reads = 0;
  std::shared_ptr<const ClipboardItems> published;
};

}  // namespace

TEST(PasteboardTypes, AliasesTargetsAndFileURLs) {
  EXPECT_TRUE(pasteboardTypesEqual("NSStringPboardType", "public.utf8-plain-text"));
  EXPECT_TRUE(pasteboardTypesEqual("Apple HTML pasteboard type", "public.html"));
  EXPECT_TRUE(pasteboardTypesEqual("Apple URL pasteboard type", "public.url"));
  EXPECT_FALSE(pasteboardTypesEqual("public.jpg", "public.jpeg"));
  EXPECT_EQ(canonicalPasteboardType("NSFilenamesPboardType"), "NSFilenamesPboardType");

  const std::map<std::string, std::vector<std::string>> targets{
      {"NSStringPboardType",
       {"UTF8_STRING", "text/plain;charset=utf-8", "text/plain", "STRING", "TEXT"}},
      {"public.jpg", {"image/jpeg"}},
      {"public.gif", {"image/gif"}},
      {"public.file-url", {"text/uri-list", "x-special/gnome-copied-files"}},
      {"com.example.private", {"com.example.private"}},
  };
  for (const auto& [type, expected] : targets)
    EXPECT_EQ(clipboardTargetsForType(type), expected) << type;
  EXPECT_EQ(pasteboardTypeForTarget("TARGETS"), std::nullopt);
  EXPECT_EQ(pasteboardTypeForTarget("image/gif"), "com.compuserve.gif");
  EXPECT_EQ(pasteboardTypeForTarget("application/x-thing"), "application/x-thing");

  // Only local file URLs name paths; escapes are decoded, NUL refused.
  const std::vector<std::pair<std::string, std::optional<std::string>>> urls{
      {"file:///tmp/a%20b.png", "/tmp/a b.png"},
      {"file://localhost/tmp/x", "/tmp/x"},
      {"FILE:/tmp/y", "/tmp/y"},
      {"file://example.com/tmp/x", std::nullopt},
      {"file://localhostile/tmp/x", std::nullopt},
      {"https://example.com/x.png", std::nullopt},
      {"file:///tmp/a%00b", std::nullopt},
      {"file:relative", std::nullopt},
  };
  for (const auto& [url, path] : urls) EXPECT_EQ(pathFromFileURL(url), path) << url;
  EXPECT_EQ(pathFromFileURL(fileURLFromPath("/tmp/ä #%?.txt")), "/tmp/ä #%?.txt");

  EXPECT_EQ(utf8ToLatin1("caf\xC3\xA9 \xE2\x82\xAC"), "caf\xE9 ?");
  EXPECT_EQ(latin1ToUtf8("caf\xE9"), "caf\xC3\xA9");
  EXPECT_FALSE(isValidUtf8("\xC0\xAF"));
  EXPECT_FALSE(isValidUtf8("\xED\xA0\x80"));
  EXPECT_TRUE(isValidUtf8("\xF0\x9F\x98\x80"));
}

TEST(ClipboardConversion, ServesEveryTargetOfOwnItems) {
  std::vector<PasteboardItem> items(3);
  items[0].setData("NSStringPboardType", bytes("caf\xC3\xA9"));
  items[0].setData("public.file-url", bytes("file:///a"));
  items[1].setData("public.file-url", bytes("file:///b"));
  items[2].setData("public.jpg", bytes("JPEG"));
  EXPECT_EQ(clipboardTargetsOf(items),
            (std::vector<std::string>{"UTF8_STRING", "text/plain;charset=utf-8", "text/plain",
                                      "STRING", "TEXT", "text/uri-list",
                                      "x-special/gnome-copied-files", "image/jpeg"}));
  EXPECT_EQ(text(clipboardDataForTarget(items, "STRING")), "caf\xE9");
  EXPECT_EQ(text(clipboardDataForTarget(items, "UTF8_STRING")), "caf\xC3\xA9");
  EXPECT_EQ(text(clipboardDataForTarget(items, "text/uri-list")), "file:///a\r\nfile:///b\r\n");
  EXPECT_EQ(text(clipboardDataForTarget(items, "x-special/gnome-copied-files")),
            "copy\nfile:///a\nfile:///b");
  EXPECT_EQ(text(clipboardDataForTarget(items, "image/jpeg")), "JPEG");
  EXPECT_EQ(clipboardDataForTarget(items, "image/png"), std::nullopt);
}

TEST(ClipboardConversion, ForeignTargetsReadAsItemsInTheirOrder) {
  auto reader = [](std::map<std::string, std::string> data) {
    return [data](const std::string& target) -> std::optional<PasteboardBytes> {
      auto found = data.find(target);
      if (found == data.end()) return std::nullopt;
      return bytes(found->second);
    };
  };
  auto all = [](const std::string&) { return true; };

  // Text from its best target, meta targets skipped, unknown targets kept by name.
  auto items = clipboardItemsFromTargets(
      {"TIMESTAMP", "TARGETS", "text/html", "STRING", "UTF8_STRING", "application/x-thing"},
      reader({{"text/html", "<b>"}, {"STRING", "\xE9"}, {"UTF8_STRING", "\xC3\xA9!"}}), all);
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0].types(), (std::vector<std::string>{"public.html", "public.utf8-plain-text",
                                                        "application/x-thing"}));
  EXPECT_EQ(text(*items[0].dataForType("public.utf8-plain-text")), "\xC3\xA9!");
  EXPECT_EQ(items[0].dataForType("application/x-thing"), nullptr);  // its read failed

  // Latin-1 alone is converted.
  items = clipboardItemsFromTargets({"STRING"}, reader({{"STRING", "\xE9"}}), all);
  EXPECT_EQ(text(*items[0].dataForType("public.utf8-plain-text")), "\xC3\xA9");

  // A list of n files gives n items; other schemes are left out.
  items = clipboardItemsFromTargets(
      {"x-special/gnome-copied-files", "text/uri-list", "UTF8_STRING"},
      reader({{"text/uri-list", "# c\r\nfile:///a\r\nhttp://x/\r\nfile:///b\r\nfile:///c\r\n"},
              {"UTF8_STRING", "a"}}),
      [](const std::string&) { return false; });
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[0].types(),
            (std::vector<std::string>{"public.file-url", "public.utf8-plain-text"}));
  EXPECT_EQ(items[2].types(), std::vector<std::string>{"public.file-url"});
  EXPECT_EQ(text(*items[2].dataForType("public.file-url")), "file:///c");

  // A list without local files stays what it was.
  items =
      clipboardItemsFromTargets({"text/uri-list"}, reader({{"text/uri-list", "http://x/"}}), all);
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(text(*items[0].dataForType("text/uri-list")), "http://x/");
  EXPECT_TRUE(clipboardItemsFromTargets({"TARGETS"}, reader({}), all).empty());
}

TEST(Pasteboard, ForeignClipboardSaveAndRestore) {
  auto clipboard = std::make_shared<FakeClipboard>();
  Pasteboard general("test general", clipboard);
  clipboard->offered = {
      {"TARGETS", std::nullopt}, {"UTF8_STRING", "first"}, {"image/png", std::nullopt}};

  // A type query reads no data; a save keeps what could be read.
  EXPECT_EQ(general.types(), (std::vector<std::string>{"public.utf8-plain-text", "public.png"}));
  EXPECT_EQ(clipboard->reads, 0);
  ASSERT_TRUE(ZqSavePasteboard(general));
  EXPECT_FALSE(ZqSavePasteboard(general));

  // Restoring without getting the clipboard keeps the snapshot for a later try.
  general.declareTypes({"NSStringPboardType"});
  clipboard->owned = false;
  clipboard->refusePublish = true;
  EXPECT_FALSE(ZqRestorePasteboard(general));
  EXPECT_TRUE(ZqPasteboardIsSaved());
  clipboard->refusePublish = false;
  ASSERT_TRUE(ZqRestorePasteboard(general));
  ASSERT_EQ(clipboard->published->size(), 1u);
  EXPECT_EQ((*clipboard->published)[0].types(), std::vector<std::string>{"public.utf8-plain-text"});
  EXPECT_EQ(text(general.dataForType("NSStringPboardType")), "first");

  // A clipboard whose targets cannot be read gives no snapshot (restoring one would wipe it).
  clipboard->owned = false;
  clipboard->targetsReadable = false;
  EXPECT_FALSE(ZqSavePasteboard(general));
  EXPECT_FALSE(ZqPasteboardIsSaved());
}

TEST(Pasteboard, FilesOnTheGeneralPasteboard) {
  auto general = Pasteboard::general();
  PasteboardItem text, file;
  text.setData("public.utf8-plain-text", bytes("x"));
  file.declareType("public.file-url");
  general->replaceItems({});
  EXPECT_FALSE(hasFilesInPasteboard("public.file-url"));
  general->replaceItems({text, file});
  EXPECT_TRUE(hasFilesInPasteboard("public.file-url"));
  EXPECT_FALSE(hasFilesInPasteboard("public.png"));
}

TEST(Pasteboard, URLFlavoursAndTheirTitles) {
  Pasteboard pasteboard("test urls");
  struct Case {
    std::vector<std::string> urls;
    std::optional<std::vector<std::string>> titles;
    std::string string, urlBytes, titleBytes;
    bool hasURLType;
  };
  const std::vector<Case> cases{
      {{"https://a.example/x"},
       std::vector<std::string>{"A"},
       "https://a.example/x",
       "https://a.example/x",
       "A",
       true},
      {{"https://a.example/x"},
       std::nullopt,
       "https://a.example/x",
       "https://a.example/x",
       "https://a.example/x",
       true},
      {{"https://a.example/x"},
       std::vector<std::string>{},
       "https://a.example/x",
       "https://a.example/x",
       "https://a.example/x",
       true},
      {{"not a url"}, std::nullopt, "not a url", "not a url", "not a url", false},
      {{"https://a/", "https://b/"},
       std::vector<std::string>{"A"},
       "https://a/\nhttps://b/",
       "https://a/",
       "A",
       false},
      {{"https://a/", "https://b/"},
       std::nullopt,
       "https://a/\nhttps://b/",
       "https://a/",
       "",
       false},
  };
  for (const auto& c : cases) {
    zq_declareURLPasteboardWithAdditionalTypes(pasteboard, {"extra"});
    zq_setURLs(pasteboard, c.urls, c.titles);
    EXPECT_EQ(pasteboard.types().front(), "extra");
    EXPECT_EQ(text(pasteboard.dataForType("NSStringPboardType")), c.string);
    EXPECT_EQ(text(pasteboard.dataForType(kURLFlavorType)), c.urlBytes);
    EXPECT_EQ(text(pasteboard.dataForType(kURLNameFlavorType)), c.titleBytes);
    EXPECT_EQ(pasteboard.dataForType("public.url").has_value(), c.hasURLType) << c.urls[0];
    auto list = pasteboard.propertyListForType(kWebURLsWithTitlesPboardType);
    ASSERT_TRUE(list && list->asArray() && list->asArray()->size() == 2);
    const auto& titles = *(*list->asArray())[1].asArray();
    ASSERT_EQ(titles.size(), c.urls.size());
    if (c.urls.size() == 2) {
      EXPECT_EQ(*titles[1].asString(), "");
    }
  }
}
