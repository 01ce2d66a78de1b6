#include "http/HTTPRequest.h"

#include <strings.h>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "http/CurlHandles.h"

namespace velquarin::platform::http {

bool isToken(std::string_view text) {
  if (text.empty()) return false;
  static constexpr std::string_view kSymbols = "!#$%&'*+-.^_`|~";
  return std::all_of(text.begin(), text.end(), [](char c) {
    const auto u = static_cast<unsigned char>(c);
    return (u >= '0' && u <= '9') || (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') ||
           kSymbols.find(c) != std::string_view::npos;
  });
}

bool isValidHeaderValue(std::string_view value) {
  return value.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

double effectiveTimeout(std::optional<double> seconds) {
  if (!seconds || !std::isfinite(*seconds) || *seconds <= 0) return kDefaultTimeoutSeconds;
  return *seconds;
}

namespace {

// The parts of an absolute URL; nullopt when curl's parser rejects it.
struct URLParts {
  std::string scheme;
  std::string host;
  std::string port;
};

std::optional<std::string> part(CURLU* url, CURLUPart which, unsigned flags = 0) {
  char* text = nullptr;
  if (curl().url_get(url, which, &text, flags) != CURLUE_OK || !text) return std::nullopt;
  CurlString owned(text);
  return std::string(owned.get());
}

std::optional<URLParts> partsOf(const std::string& url) {
  if (!CurlLibrary::get()) return std::nullopt;
  CurlURL parsed(curl().url());
  if (!parsed || curl().url_set(parsed.get(), CURLUPART_URL, url.c_str(),
                                CURLU_NON_SUPPORT_SCHEME) != CURLUE_OK) {
    return std::nullopt;
  }
  auto scheme = part(parsed.get(), CURLUPART_SCHEME);
  auto host = part(parsed.get(), CURLUPART_HOST);
  auto port = part(parsed.get(), CURLUPART_PORT, CURLU_DEFAULT_PORT);
  if (!scheme || !host) return std::nullopt;
  return URLParts{*scheme, *host, port.value_or("")};
}

}  // namespace

std::optional<std::string> schemeOf(const std::string& url) {
  // RFC 3986: ALPHA *( ALPHA / DIGIT / "+" / "-" / "." ) ":"
  const auto colon = url.find(':');
  if (colon == std::string::npos || colon == 0) return std::nullopt;
  std::string scheme;
  for (std::size_t i = 0; i < colon; ++i) {
    const auto c = static_cast<unsigned char>(url[i]);
    const bool alpha = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    const bool other = (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
    if (!alpha && (i == 0 || !other)) return std::nullopt;
    scheme += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  }
  return scheme;
}

bool isHTTPURL(const std::string& url) {
  auto parts = partsOf(url);
  return parts && (parts->scheme == "http" || parts->scheme == "https") && !parts->host.empty();
}

std::optional<std::string> resolveURL(const std::string& base, const std::string& location) {
  if (!CurlLibrary::get()) return std::nullopt;
  CurlURL parsed(curl().url());
  if (!parsed) return std::nullopt;
  if (curl().url_set(parsed.get(), CURLUPART_URL, base.c_str(), CURLU_NON_SUPPORT_SCHEME) !=
      CURLUE_OK) {
    return std::nullopt;
  }
  // Servers put raw spaces and non-ASCII text in Location; encode them as a browser would.
  if (curl().url_set(parsed.get(), CURLUPART_URL, location.c_str(),
                     CURLU_NON_SUPPORT_SCHEME | CURLU_URLENCODE) != CURLUE_OK) {
    return std::nullopt;
  }
  return part(parsed.get(), CURLUPART_URL);
}

bool isSameOrigin(const std::string& a, const std::string& b) {
  auto left = partsOf(a);
  auto right = partsOf(b);
  return left && right && left->scheme == right->scheme && left->port == right->port &&
         strcasecmp(left->host.c_str(), right->host.c_str()) == 0;
}

bool isRedirectStatus(long status) {
  return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

std::string methodAfterRedirect(const std::string& method, long status) {
  // 303 asks for a GET of the new resource; 301 and 302 turn a POST into a GET as every
  // user agent does; 307 and 308 keep the method.
  if (status == 303 && method != "HEAD") return "GET";
  if ((status == 301 || status == 302) && method == "POST") return "GET";
  return method;
}

Body::~Body() {
  std::free(data_);
}

Body::Body(Body&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      capacity_(std::exchange(other.capacity_, 0)) {}

Body& Body::operator=(Body&& other) noexcept {
  if (this != &other) {
    std::free(data_);
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
    capacity_ = std::exchange(other.capacity_, 0);
  }
  return *this;
}

namespace {
std::size_t allocationCeiling = 0;
}  // namespace

void failBodyAllocationsAbove(std::size_t bytes) {
  allocationCeiling = bytes;
}

bool Body::reserve(std::size_t capacity) {
  if (capacity <= capacity_) return true;
  if (allocationCeiling && capacity > allocationCeiling) return false;
  void* grown = std::realloc(data_, capacity);
  if (!grown) return false;
  data_ = static_cast<std::uint8_t*>(grown);
  capacity_ = capacity;
  return true;
}

Body::Append Body::append(const void* bytes, std::size_t length, std::size_t limit) {
  if (length == 0) return Append::Ok;
  if (length > limit || size_ > limit - length) return Append::TooLarge;
  const std::size_t needed = size_ + length;
  if (needed > capacity_) {
    // Doubling keeps appends amortised constant; the limit caps the block.
    std::size_t next = std::max<std::size_t>({needed, capacity_ * 2, 16 * 1024});
    next = std::min(next, std::max(needed, limit));
    if (!reserve(next) && !reserve(needed)) return Append::NoMemory;
  }
  std::memcpy(data_ + size_, bytes, length);
  size_ = needed;
  return Append::Ok;
}

void Body::clear() {
  std::free(data_);
  data_ = nullptr;
  size_ = 0;
  capacity_ = 0;
}

std::uint8_t* Body::release() {
  size_ = 0;
  capacity_ = 0;
  return std::exchange(data_, nullptr);
}

}  // namespace velquarin::platform::http
