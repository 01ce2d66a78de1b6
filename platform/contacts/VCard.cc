// Content lines of vCard 2.1, 3.0 and 4.0 text, read as leniently as address books write them.

#include "contacts/VCard.h"

#include <glib.h>

#include <memory>
#include <optional>

namespace velquarin::platform::vcard {

namespace {

struct GFreeDeleter {
  void operator()(void* data) const { g_free(data); }
};
using GText = std::unique_ptr<char, GFreeDeleter>;

bool isEncodingName(std::string_view token) {
  return equalsIgnoringCase(token, "QUOTED-PRINTABLE") || equalsIgnoringCase(token, "BASE64") ||
         equalsIgnoringCase(token, "B") || equalsIgnoringCase(token, "8BIT") ||
         equalsIgnoringCase(token, "7BIT");
}

std::string upper(std::string_view text) {
  std::string result(text);
  for (char& c : result) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return result;
}

// The position of the first `c` outside double quotes, or npos.
std::size_t findUnquoted(std::string_view text, char c, std::size_t from = 0) {
  bool quoted = false;
  for (std::size_t i = from; i < text.size(); ++i) {
    if (text[i] == '"') {
      quoted = !quoted;
    } else if (text[i] == c && !quoted) {
      return i;
    }
  }
  return std::string_view::npos;
}

// The name and parameters before the value's ":".
std::string_view headOf(std::string_view line) {
  const std::size_t colon = findUnquoted(line, ':');
  return colon == std::string_view::npos ? line : line.substr(0, colon);
}

bool mentionsQuotedPrintable(std::string_view head) {
  const std::string text = upper(head);
  return text.find("QUOTED-PRINTABLE") != std::string::npos;
}

Parameter parameterOf(std::string_view token) {
  const std::size_t equals = token.find('=');
  if (equals == std::string_view::npos) {
    return Parameter{isEncodingName(token) ? "ENCODING" : "TYPE", {std::string(token)}};
  }
  Parameter parameter{upper(token.substr(0, equals)), {}};
  std::string values;
  for (char c : token.substr(equals + 1)) {
    if (c != '"') values += c;
  }
  std::size_t start = 0;
  while (true) {
    const std::size_t comma = values.find(',', start);
    parameter.values.push_back(values.substr(start, comma - start));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return parameter;
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::string decodeQuotedPrintable(std::string_view text) {
  std::string bytes;
  bytes.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '=' && i + 2 < text.size() && hexDigit(text[i + 1]) >= 0 &&
        hexDigit(text[i + 2]) >= 0) {
      bytes += static_cast<char>(hexDigit(text[i + 1]) * 16 + hexDigit(text[i + 2]));
      i += 2;
    } else {
      bytes += text[i];
    }
  }
  return bytes;
}

// `bytes` in UTF-8: converted from `charset` when one is named, then invalid sequences (and
// NUL bytes) replaced by U+FFFD.
std::string toUTF8(std::string bytes, std::string_view charset) {
  if (!charset.empty() && !equalsIgnoringCase(charset, "UTF-8") &&
      !equalsIgnoringCase(charset, "UTF8")) {
    const std::string from(charset);
    gsize written = 0;
    GText converted(g_convert(bytes.data(), static_cast<gssize>(bytes.size()), "UTF-8",
                              from.c_str(), nullptr, &written, nullptr));
    if (converted) bytes.assign(converted.get(), written);
  }
  if (g_utf8_validate(bytes.data(), static_cast<gssize>(bytes.size()), nullptr)) return bytes;
  GText valid(g_utf8_make_valid(bytes.data(), static_cast<gssize>(bytes.size())));
  return valid ? std::string(valid.get()) : std::string();
}

// One unfolded content line as a property; nullopt for a line that is not one or whose value
// is left out (base64).
std::optional<Property> propertyOf(std::string_view line) {
  const std::size_t colon = findUnquoted(line, ':');
  if (colon == std::string_view::npos) return std::nullopt;
  const std::string_view head = line.substr(0, colon);
  std::size_t semicolon = findUnquoted(head, ';');
  std::string_view name = head.substr(0, semicolon);
  if (const std::size_t dot = name.rfind('.'); dot != std::string_view::npos) {
    name.remove_prefix(dot + 1);
  }
  if (name.empty()) return std::nullopt;
  Property property;
  property.name = upper(name);
  while (semicolon != std::string_view::npos) {
    const std::size_t next = findUnquoted(head, ';', semicolon + 1);
    const std::string_view token = head.substr(semicolon + 1, next - semicolon - 1);
    if (!token.empty()) property.parameters.push_back(parameterOf(token));
    semicolon = next;
  }
  const std::string_view encoding = property.parameterValue("ENCODING");
  if (equalsIgnoringCase(encoding, "BASE64") || equalsIgnoringCase(encoding, "B")) {
    return std::nullopt;
  }
  std::string value(line.substr(colon + 1));
  if (equalsIgnoringCase(encoding, "QUOTED-PRINTABLE")) value = decodeQuotedPrintable(value);
  property.value = toUTF8(std::move(value), property.parameterValue("CHARSET"));
  return property;
}

bool isCardBoundary(std::string_view line, std::string_view keyword) {
  const std::size_t colon = line.find(':');
  if (colon == std::string_view::npos) return false;
  std::string_view value = line.substr(colon + 1);
  while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) value.remove_suffix(1);
  return equalsIgnoringCase(line.substr(0, colon), keyword) && equalsIgnoringCase(value, "VCARD");
}

// Collects cards from logical lines; nesting is counted, never parsed.
class CardCollector {
 public:
  void add(std::string_view line) {
    if (isCardBoundary(line, "BEGIN")) {
      if (depth_++ == 0) current_ = Card{};
    } else if (isCardBoundary(line, "END")) {
      if (depth_ == 0) return;
      if (--depth_ == 0) cards_.push_back(std::move(current_));
    } else if (depth_ == 1) {
      if (auto property = propertyOf(line)) current_.properties.push_back(std::move(*property));
    }
  }
  std::vector<Card> take() { return std::move(cards_); }

 private:
  std::size_t depth_ = 0;
  Card current_;
  std::vector<Card> cards_;
};

}  // namespace

bool Property::hasParameterValue(std::string_view parameter, std::string_view value) const {
  for (const Parameter& entry : parameters) {
    if (entry.name != parameter) continue;
    for (const std::string& candidate : entry.values) {
      if (equalsIgnoringCase(candidate, value)) return true;
    }
  }
  return false;
}

std::string_view Property::parameterValue(std::string_view parameter) const {
  for (const Parameter& entry : parameters) {
    if (entry.name == parameter && !entry.values.empty()) return entry.values.front();
  }
  return {};
}

const Property* Card::first(std::string_view name) const {
  for (const Property& property : properties) {
    if (property.name == name) return &property;
  }
  return nullptr;
}

std::vector<Card> parse(std::string_view text) {
  CardCollector collector;
  std::string logical;
  bool haveLine = false;
  bool quotedPrintable = false;  // whether the logical line's first line names that encoding
  while (!text.empty()) {
    const std::size_t newline = text.find('\n');
    std::string_view line = text.substr(0, newline);
    text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (haveLine && quotedPrintable && !logical.empty() && logical.back() == '=') {
      logical.pop_back();  // a soft line break: the next line continues the value as it is
      logical += line;
      continue;
    }
    if (haveLine && !line.empty() && (line.front() == ' ' || line.front() == '\t')) {
      logical += line.substr(1);
      continue;
    }
    if (haveLine) collector.add(logical);
    logical.assign(line);
    haveLine = true;
    quotedPrintable = mentionsQuotedPrintable(headOf(line));
  }
  if (haveLine) collector.add(logical);
  return collector.take();
}

}  // namespace velquarin::platform::vcard
