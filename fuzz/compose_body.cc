// The body a compose request carries: equal to a plain reference of the rules, written on
// code points (paragraphs end at LF, CR, CR LF or U+2029; one without LF at its end gets
// one), for every valid UTF-8 content; any bytes at all are handled without a fault.

#include <glib.h>

#include <cstdint>
#include <string>

#include "AppleScript/ZqComposeBody.h"
#include "FuzzSupport.h"

namespace {

std::u32string decode(const std::string& text) {
  std::u32string points;
  for (const char* at = text.c_str(); *at; at = g_utf8_next_char(at)) {
    points.push_back(static_cast<char32_t>(g_utf8_get_char(at)));
  }
  return points;
}

std::string encode(const std::u32string& points) {
  std::string text;
  for (const char32_t point : points) {
    char buffer[6];
    text.append(buffer, static_cast<std::size_t>(g_unichar_to_utf8(point, buffer)));
  }
  return text;
}

std::u32string referenceBody(const std::u32string& content) {
  std::u32string body;
  std::size_t i = 0;
  while (i < content.size()) {
    std::u32string paragraph;
    while (i < content.size()) {
      const char32_t c = content[i++];
      paragraph.push_back(c);
      if (c == U'\r' && i < content.size() && content[i] == U'\n') {
        paragraph.push_back(content[i++]);
        break;
      }
      if (c == U'\n' || c == U'\r' || c == U'\u2029') break;
    }
    body += paragraph;
    if (paragraph.back() != U'\n') body.push_back(U'\n');
  }
  return body;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string content(reinterpret_cast<const char*>(data), size);
  const std::string body = ZqComposeBody(content);
  ZQ_FUZZ_CHECK(content.empty() == body.empty(), content);
  ZQ_FUZZ_CHECK(body.empty() || body.back() == '\n', content);
  const bool valid = g_utf8_validate(content.data(), static_cast<gssize>(content.size()), nullptr);
  if (valid && content.find('\0') == std::string::npos) {
    ZQ_FUZZ_CHECK(body == encode(referenceBody(decode(content))), content);
  }
  return 0;
}
