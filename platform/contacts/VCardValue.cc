// Escapes and structured values of vCard text.

#include <algorithm>

#include "contacts/VCard.h"

namespace velquarin::platform::vcard {

namespace {

char asciiUpper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

}  // namespace

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return asciiUpper(x) == asciiUpper(y);
         });
}

std::string unescape(std::string_view raw) {
  std::string text;
  text.reserve(raw.size());
  for (std::size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] != '\\' || i + 1 == raw.size()) {
      text += raw[i];
      continue;
    }
    const char next = raw[++i];
    switch (next) {
      case 'n':
      case 'N':
        text += '\n';
        break;
      case ',':
      case ';':
      case '\\':
        text += next;
        break;
      default:  // not an escape: both characters stay
        text += '\\';
        text += next;
    }
  }
  return text;
}

std::vector<std::string_view> splitUnescaped(std::string_view raw, char separator) {
  std::vector<std::string_view> pieces;
  std::size_t start = 0;
  for (std::size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] == '\\') {
      ++i;
    } else if (raw[i] == separator) {
      pieces.push_back(raw.substr(start, i - start));
      start = i + 1;
    }
  }
  pieces.push_back(raw.substr(std::min(start, raw.size())));
  return pieces;
}

std::vector<std::string> structuredComponents(std::string_view raw) {
  std::vector<std::string> components;
  for (std::string_view component : splitUnescaped(raw, ';')) {
    std::string joined;
    for (std::string_view part : splitUnescaped(component, ',')) {
      std::string text = unescape(part);
      if (text.empty()) continue;
      if (!joined.empty()) joined += ' ';
      joined += text;
    }
    components.push_back(std::move(joined));
  }
  return components;
}

}  // namespace velquarin::platform::vcard
