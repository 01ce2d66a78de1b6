#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velquarin::platform::http {

inline constexpr double kDefaultTimeoutSeconds = 60;
inline constexpr int kMaximumRedirects = 16;

// One request as the host describes it. There is no request body.
struct Request {
  std::string url;
  std::string method = "GET";
  // Sent in this order; fields that are not valid (see below) are never sent.
  std::vector<std::pair<std::string, std::string>> headers;
  bool followRedirects = true;
  // Idle time-out: the transfer fails when no byte moved for this long.
  double timeoutSeconds = kDefaultTimeoutSeconds;
  // The most body bytes the receiver can take; a larger body fails the transfer.
  std::size_t maximumBodySize = std::numeric_limits<std::size_t>::max();
};

// RFC 9110 token: what header field names and methods are made of.
bool isToken(std::string_view text);
// A field value that cannot end its line early: no CR, LF or NUL.
bool isValidHeaderValue(std::string_view value);
// A timeout as given, or the default when it is not a positive finite number.
double effectiveTimeout(std::optional<double> seconds);

// The scheme of an absolute URL (lower case); nullopt when the text is not one.
std::optional<std::string> schemeOf(const std::string& url);
// Absolute http or https URL (the only schemes requests and redirects may use).
bool isHTTPURL(const std::string& url);
// `location` resolved against `base`; nullopt when it is not a URL.
std::optional<std::string> resolveURL(const std::string& base, const std::string& location);
// Scheme, host and port equal.
bool isSameOrigin(const std::string& a, const std::string& b);
// Whether a status with a Location is followed as a redirect.
bool isRedirectStatus(long status);
// The method of the request that follows a redirect with `status`.
std::string methodAfterRedirect(const std::string& method, long status);

// Tests: body blocks larger than `bytes` cannot be allocated, as when memory runs out (0
// lifts it). Main thread.
void failBodyAllocationsAbove(std::size_t bytes);

// The body received so far: one malloc'd block, grown in place where the allocator can (large
// blocks are remapped, not copied), so a finished body can be handed on without a copy.
class Body {
 public:
  enum class Append { Ok, TooLarge, NoMemory };

  Body() = default;
  ~Body();
  Body(Body&& other) noexcept;
  Body& operator=(Body&& other) noexcept;
  Body(const Body&) = delete;
  Body& operator=(const Body&) = delete;

  // Appends unless the size would pass `limit` or memory runs out; nothing changes then.
  Append append(const void* bytes, std::size_t length, std::size_t limit);
  // Makes room for `capacity` bytes in one block; false (and no change) when it cannot.
  bool reserve(std::size_t capacity);
  void clear();

  const std::uint8_t* data() const { return data_; }
  std::size_t size() const { return size_; }
  std::size_t capacity() const { return capacity_; }
  // Hands the block over (null for an empty body); the receiver frees it with std::free.
  std::uint8_t* release();

 private:
  std::uint8_t* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

}  // namespace velquarin::platform::http
