// What a request takes from the host and from servers: header field names and values (only
// a token name and a value without CR, LF or NUL may reach a request head), request URLs
// (only absolute http and https ones load) and redirect targets resolved against them.

#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzSupport.h"
#include "http/HTTPRequest.h"

namespace http = velquarin::platform::http;

namespace {

// RFC 9110 tchar, spelled out.
bool isTokenCharacter(unsigned char c) {
  if (c >= '0' && c <= '9') return true;
  if ((c | 0x20) >= 'a' && (c | 0x20) <= 'z') return true;
  switch (c) {
    case '!':
    case '#':
    case '$':
    case '%':
    case '&':
    case '\'':
    case '*':
    case '+':
    case '-':
    case '.':
    case '^':
    case '_':
    case '`':
    case '|':
    case '~':
      return true;
    default:
      return false;
  }
}

bool hasControlOrSpace(std::string_view text) {
  for (unsigned char c : text) {
    if (c <= 0x20 || c == 0x7F) return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ZqFuzzFields fields(data, size);
  const std::string name(fields.next());
  const std::string value(fields.next());
  const std::string base(fields.next());
  const std::string location(fields.rest());

  if (http::isToken(name)) {
    ZQ_FUZZ_CHECK(!name.empty(), "");
    for (unsigned char c : name) ZQ_FUZZ_CHECK(isTokenCharacter(c), name);
  } else {
    bool allToken = !name.empty();
    for (unsigned char c : name) allToken = allToken && isTokenCharacter(c);
    ZQ_FUZZ_CHECK(!allToken, "a token was refused: " + name);
  }
  if (http::isValidHeaderValue(value)) {
    ZQ_FUZZ_CHECK(value.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos, value);
  }
  if (http::isToken(name) && http::isValidHeaderValue(value)) {
    // The line a request head gets holds exactly one field.
    const std::string line = name + ": " + value;
    ZQ_FUZZ_CHECK(line.find(':') == name.size(), line);
    ZQ_FUZZ_CHECK(line.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos, line);
  }
  (void)http::effectiveTimeout(static_cast<double>(value.size()) - 3);

  const auto scheme = http::schemeOf(base);
  if (scheme) {
    ZQ_FUZZ_CHECK(!scheme->empty() && base.size() > scheme->size() && base[scheme->size()] == ':',
                  base);
    for (char c : *scheme) ZQ_FUZZ_CHECK(!(c >= 'A' && c <= 'Z'), *scheme);
  }
  if (http::isHTTPURL(base)) {
    ZQ_FUZZ_CHECK(scheme && (*scheme == "http" || *scheme == "https"), base);
    ZQ_FUZZ_CHECK(http::isSameOrigin(base, base), base);
  }

  const auto resolved = http::resolveURL(base, location);
  if (resolved) {
    // What a redirect leads to goes on the wire as a request line: nothing may end it early
    // or split it.
    ZQ_FUZZ_CHECK(!hasControlOrSpace(*resolved), *resolved);
    if (http::isHTTPURL(*resolved)) {
      // The redirect check and the request's own scheme check agree.
      const auto resolvedScheme = http::schemeOf(*resolved);
      ZQ_FUZZ_CHECK(resolvedScheme && (*resolvedScheme == "http" || *resolvedScheme == "https"),
                    *resolved);
      ZQ_FUZZ_CHECK(http::isSameOrigin(*resolved, *resolved), *resolved);
      (void)http::isSameOrigin(base, *resolved);
    }
  }
  return 0;
}
