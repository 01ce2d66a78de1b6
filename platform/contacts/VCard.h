#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velquarin::platform::vcard {

// One parameter of a content line. A bare parameter of the 2.1 form ("EMAIL;PREF;INTERNET")
// is a TYPE value, or an ENCODING value when it names an encoding.
struct Parameter {
  std::string name;                 // upper case
  std::vector<std::string> values;  // quotes removed, split at commas
};

// One content line, unfolded.
struct Property {
  std::string name;  // upper case, without its group ("item1.")
  std::vector<Parameter> parameters;
  std::string value;  // quoted-printable decoded, in UTF-8, backslash escapes kept

  // Whether a parameter of that name holds that value (both case-insensitive).
  bool hasParameterValue(std::string_view parameter, std::string_view value) const;
  // The first value of the first parameter of that name; empty when there is none.
  std::string_view parameterValue(std::string_view parameter) const;
};

struct Card {
  std::vector<Property> properties;

  // The first property of that (upper-case) name, or null.
  const Property* first(std::string_view name) const;
};

// The complete BEGIN:VCARD ... END:VCARD blocks of `text`, in order. Lines end in CRLF or
// LF; folded lines are joined, and so are quoted-printable soft line breaks. Values encoded
// in base64 are left out; values in another CHARSET are converted; invalid UTF-8 becomes
// U+FFFD. A card nested in another (an inline AGENT) is skipped, not parsed.
std::vector<Card> parse(std::string_view text);

// The text of a value with its escapes (\n \N \, \; \\) resolved.
std::string unescape(std::string_view raw);
// `raw` cut at each `separator` that no backslash escapes; the pieces keep their escapes.
std::vector<std::string_view> splitUnescaped(std::string_view raw, char separator);
// A structured value (N, ORG): its components at unescaped ";", each component's list parts
// (unescaped ",") joined with one space.
std::vector<std::string> structuredComponents(std::string_view raw);

bool equalsIgnoringCase(std::string_view a, std::string_view b);

}  // namespace velquarin::platform::vcard
