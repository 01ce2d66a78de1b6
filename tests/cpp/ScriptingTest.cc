#include <glib.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "AppleScript/ZqTextFromHTML.h"
#include "bus/ApplicationBus.h"

using velquarin::platform::ApplicationBus;

namespace {

TEST(ZqTextFromHTML, ReadsTextAsABrowserLaysItOut) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"<p>First</p><p>Second</p>", "First\nSecond"},
      {"<p>Fish &amp; chips &lt;3 &eacute;&#x1F600;&nbsp;!</p>", "Fish & chips <3 é😀\u00a0!"},
      {"<script>alert('x')</script><style>p{}</style><p>Shown</p>", "Shown"},
      {"<html><head><title>Hidden</title></head><body>Body</body></html>", "Body"},
      {"  many \n\t spaces <b>bold</b>text", "many spaces boldtext"},
      {"A<br>B<br><br>C", "A\nB\n\nC"},
      {"<pre>a\n  b</pre>after", "a\n  b\nafter"},
      {"<ul><li>one</li><li>two</li></ul>", "one\ntwo"},
      // Read as UTF-8 even when a meta element names another encoding.
      {"<meta charset=\"iso-8859-1\"><p>Zo\xc3\xab</p>", "Zo\xc3\xab"},
      {"", ""},
  };
  for (const auto& [html, text] : cases) EXPECT_EQ(ZqTextFromHTML(html), text) << html;
}

TEST(ZqTextFromHTML, AnyBytesGiveValidUTF8AndDeepTreesNoRecursion) {
  const std::string text = ZqTextFromHTML("<p>bad \xff\xfe bytes \xc3</p>");
  EXPECT_NE(text.find("bad"), std::string::npos);
  EXPECT_TRUE(g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr));
  std::string deep;
  for (int i = 0; i < 100000; ++i) deep += "<div><span>";
  EXPECT_NO_FATAL_FAILURE(ZqTextFromHTML(deep + "x"));
}

TEST(ApplicationBus, PathsAndNamesFromTheBundleIdentifier) {
  const std::vector<std::pair<std::string, std::string>> paths = {
      {"io.velquarin.desktop", "/io/velquarin/desktop"},
      {"com.example.my-app", "/com/example/my_app"},
      {"a..b", "/a/b"},
      {"", "/"},
      {"zoë.app", "/zo__/app"},
  };
  for (const auto& [identifier, path] : paths) {
    EXPECT_EQ(ApplicationBus::objectPathFor(identifier), path) << identifier;
  }
  for (const char* valid : {"io.velquarin.desktop", "a.b", "com.example.my-app", "_a.b9"}) {
    EXPECT_TRUE(ApplicationBus::isValidBusName(valid)) << valid;
  }
  for (const char* invalid : {"", "single", "a..b", "a.9b", "a.b.", ".a.b", "a.b c", "zoë.app"}) {
    EXPECT_FALSE(ApplicationBus::isValidBusName(invalid)) << invalid;
  }
}

}  // namespace
