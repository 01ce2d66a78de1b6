// HTML fragments of clipped pages: the text is valid UTF-8 whatever the bytes, a script's or
// style's content never shows, and a meta element that names another encoding changes
// nothing.

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
  // The declared encoding never re-decodes the bytes: a meta element naming another
  // encoding reads as one that names none.
  ZQ_FUZZ_CHECK(ZqTextFromHTML("<meta charset=\"windows-1252\">" + html) ==
                    ZqTextFromHTML("<meta name=\"x\">" + html),
                html);
  // What a script or style holds never shows.
  ZQ_FUZZ_CHECK(ZqTextFromHTML("<script>var hidden = 1;</script><style>.hidden{}</style>" + html) ==
                    ZqTextFromHTML("<script></script><style></style>" + html),
                html);
  return 0;
}
