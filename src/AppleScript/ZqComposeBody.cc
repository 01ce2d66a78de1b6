#include "AppleScript/ZqComposeBody.h"

namespace {
constexpr std::string_view kParagraphSeparator = "\xE2\x80\xA9";  // U+2029
}  // namespace

std::string ZqComposeBody(std::string_view content) {
  std::string body;
  body.reserve(content.size() + 1);
  std::size_t start = 0;
  while (start < content.size()) {
    std::size_t end = start;
    // The paragraph runs to and including its separator.
    while (end < content.size()) {
      const char c = content[end];
      if (c == '\n') {
        ++end;
        break;
      }
      if (c == '\r') {
        end += (end + 1 < content.size() && content[end + 1] == '\n') ? 2 : 1;
        break;
      }
      if (content.substr(end, kParagraphSeparator.size()) == kParagraphSeparator) {
        end += kParagraphSeparator.size();
        break;
      }
      ++end;
    }
    const std::string_view paragraph = content.substr(start, end - start);
    body += paragraph;
    if (paragraph.back() != '\n') body += '\n';
    start = end;
  }
  return body;
}
