// HTML fragments of clipped pages: the text is valid UTF-8 whatever the bytes, holds no tag
// of well-formed input and none of a script's or style's text, and reading the fragment
// again after a meta element that names another encoding changes nothing.

#include <glib.h>

#include <cstdint>
#include <string>

#include "AppleScript/ZqTextFromHTML.h"
#include "FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string html(reinterpret_cast<const char*>(data), size);
  const std::string text = ZqTextFromHTML(html);
  ZQ_FUZZ_CHECK(g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr), html);
  ZQ_FUZZ_CHECK(text.find('\0') == std::string::npos, html);
  ZQ_FUZZ_CHECK(text.empty() || (text.back() != '\n' && text.back() != ' '), html);
  // The declared encoding never re-decodes the bytes.
  const std::string declared = ZqTextFromHTML("<meta charset=\"windows-1252\">" + html);
  ZQ_FUZZ_CHECK(declared == text, html);
  // What a script or style holds never shows.
  const std::string hidden =
      ZqTextFromHTML("<script>var zqHidden = 1;</script><style>.zqHidden{}</style>" + html);
  ZQ_FUZZ_CHECK(
      hidden.find("zqHidden") == std::string::npos || text.find("zqHidden") != std::string::npos,
      html);
  return 0;
}
