#include <curl/curl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include "http/HTTPRequest.h"
#include "http/URLError.h"

namespace http = velquarin::platform::http;

TEST(HTTPRequest, TokensAndHeaderValuesRefuseWhatCouldSplitARequest) {
  for (const char* token : {"GET", "M-SEARCH", "X-Custom_1", "!#$%&'*+-.^_`|~"}) {
    EXPECT_TRUE(http::isToken(token)) << token;
  }
  for (const char* bad : {"", "Bad Name", "X:Y", "X\r\nY", "caf\xc3\xa9", "GET /x HTTP/1.1"}) {
    EXPECT_FALSE(http::isToken(bad)) << bad;
  }
  EXPECT_TRUE(http::isValidHeaderValue(""));
  EXPECT_TRUE(http::isValidHeaderValue("text/plain; q=0.5 \xc3\xa9"));
  EXPECT_FALSE(http::isValidHeaderValue("a\r\nInjected: 1"));
  EXPECT_FALSE(http::isValidHeaderValue("a\nb"));
  EXPECT_FALSE(http::isValidHeaderValue(std::string("a\0b", 3)));
}

TEST(HTTPRequest, TimeoutsThatAreNotPositiveFiniteNumbersMeanTheDefault) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  for (std::optional<double> given :
       {std::optional<double>{}, std::optional<double>{0.0}, std::optional<double>{-3.0},
        std::optional<double>{nan}, std::optional<double>{inf}}) {
    EXPECT_EQ(http::effectiveTimeout(given), http::kDefaultTimeoutSeconds);
  }
  EXPECT_EQ(http::effectiveTimeout(0.25), 0.25);
}

TEST(HTTPRequest, URLsSchemesAndOrigins) {
  EXPECT_EQ(http::schemeOf("HTTPS://example.test/"), "https");
  EXPECT_EQ(http::schemeOf("mailto:someone@example.test"), "mailto");
  EXPECT_FALSE(http::schemeOf("/relative/path"));
  EXPECT_FALSE(http::schemeOf("1http://x"));
  EXPECT_TRUE(http::isHTTPURL("http://127.0.0.1:8080/a?b"));
  EXPECT_FALSE(http::isHTTPURL("ftp://127.0.0.1/"));
  EXPECT_FALSE(http::isHTTPURL("file:///etc/passwd"));
  EXPECT_FALSE(http::isHTTPURL("http://exa mple.test/"));

  EXPECT_EQ(http::resolveURL("http://h.test/a/b?q", "/c"), "http://h.test/c");
  EXPECT_EQ(http::resolveURL("http://h.test/a/b", "c d"), "http://h.test/a/c%20d");
  EXPECT_EQ(http::resolveURL("https://h.test/a", "//other.test/x"), "https://other.test/x");
  EXPECT_EQ(http::resolveURL("http://h.test/", "ftp://f.test/file"), "ftp://f.test/file");

  EXPECT_TRUE(http::isSameOrigin("http://H.test/a", "http://h.test:80/b"));
  EXPECT_FALSE(http::isSameOrigin("http://h.test/", "https://h.test/"));
  EXPECT_FALSE(http::isSameOrigin("http://127.0.0.1:1/", "http://127.0.0.1:2/"));
}

TEST(HTTPRequest, RedirectsChangeMethodsTheWayUserAgentsDo) {
  for (long status : {301L, 302L, 303L, 307L, 308L}) EXPECT_TRUE(http::isRedirectStatus(status));
  for (long status : {300L, 304L, 305L, 200L}) EXPECT_FALSE(http::isRedirectStatus(status));
  EXPECT_EQ(http::methodAfterRedirect("POST", 303), "GET");
  EXPECT_EQ(http::methodAfterRedirect("DELETE", 303), "GET");
  EXPECT_EQ(http::methodAfterRedirect("HEAD", 303), "HEAD");
  EXPECT_EQ(http::methodAfterRedirect("POST", 302), "GET");
  EXPECT_EQ(http::methodAfterRedirect("PUT", 301), "PUT");
  EXPECT_EQ(http::methodAfterRedirect("POST", 307), "POST");
  EXPECT_EQ(http::methodAfterRedirect("POST", 308), "POST");
}

TEST(HTTPRequest, BodyGrowsToItsLimitAndRefusesWithoutChangingWhatItHas) {
  http::Body body;
  std::string chunk(1000, 'x');
  for (int i = 0; i < 50; ++i) {
    ASSERT_EQ(body.append(chunk.data(), chunk.size(), 60000), http::Body::Append::Ok);
  }
  EXPECT_EQ(body.size(), 50000u);
  EXPECT_LE(body.capacity(), 60000u);
  EXPECT_EQ(body.append(chunk.data(), 10001, 60000), http::Body::Append::TooLarge);
  EXPECT_EQ(body.size(), 50000u);
  // A huge length must not wrap around the limit check.
  EXPECT_EQ(body.append(chunk.data(), std::numeric_limits<std::size_t>::max() - 10, 60000),
            http::Body::Append::TooLarge);

  http::Body moved = std::move(body);
  EXPECT_EQ(body.size(), 0u);
  const std::size_t size = moved.size();
  std::uint8_t* bytes = moved.release();
  ASSERT_NE(bytes, nullptr);
  EXPECT_EQ(bytes[size - 1], 'x');
  EXPECT_EQ(moved.data(), nullptr);
  std::free(bytes);
}

TEST(HTTPRequest, BodyOutOfMemoryKeepsWhatItHasAndRecoversOnceMemoryIsBack) {
  http::failBodyAllocationsAbove(1000);
  http::Body body;
  std::string chunk(600, 'm');
  // The first block would be 16 KiB; the body falls back to what it needs exactly.
  EXPECT_EQ(body.append(chunk.data(), chunk.size(), 1 << 20), http::Body::Append::Ok);
  EXPECT_EQ(body.append(chunk.data(), chunk.size(), 1 << 20), http::Body::Append::NoMemory);
  EXPECT_EQ(body.size(), 600u);
  EXPECT_FALSE(body.reserve(5000));
  EXPECT_EQ(body.data()[599], 'm');
  http::failBodyAllocationsAbove(0);
  EXPECT_EQ(body.append(chunk.data(), chunk.size(), 1 << 20), http::Body::Append::Ok);
  EXPECT_EQ(body.size(), 1200u);
}

TEST(URLError, CurlResultsMapToThePlatformCodesAndTexts) {
  const std::string url = "https://127.0.0.1:8443/x";
  const struct {
    CURLcode curl;
    long code;
    const char* text;
  } table[] = {
      {CURLE_OPERATION_TIMEDOUT, -1001, "The request timed out."},
      {CURLE_COULDNT_RESOLVE_HOST, -1003,
       "A server with the specified hostname could not be found."},
      {CURLE_COULDNT_CONNECT, -1004, "Could not connect to the server."},
      {CURLE_PARTIAL_FILE, -1005, "The network connection was lost."},
      {CURLE_RECV_ERROR, -1005, "The network connection was lost."},
      {CURLE_TOO_MANY_REDIRECTS, -1007, "too many HTTP redirects"},
      {CURLE_UNSUPPORTED_PROTOCOL, -1002, "unsupported URL"},
      {CURLE_BAD_CONTENT_ENCODING, -1015, "cannot decode raw data"},
      {CURLE_SSL_CONNECT_ERROR, -1200,
       "An SSL error has occurred and a secure connection to the server cannot be made."},
  };
  for (const auto& row : table) {
    const auto error = http::urlErrorForCurlCode(row.curl, url);
    EXPECT_EQ(error.code, row.code) << row.text;
    EXPECT_EQ(error.localizedDescription(), row.text);
  }
  const auto untrusted = http::urlErrorForCurlCode(CURLE_PEER_FAILED_VERIFICATION, url);
  EXPECT_EQ(untrusted.code, -1202);
  EXPECT_NE(untrusted.localizedDescription().find("pretending to be \u201c127.0.0.1\u201d"),
            std::string::npos);

  const std::string description =
      http::urlErrorForCurlCode(CURLE_OPERATION_TIMEDOUT, url).description();
  EXPECT_EQ(description.rfind("Error Domain=NSURLErrorDomain Code=-1001 \"The request timed out.\" "
                              "UserInfo={NSErrorFailingURLStringKey=https://127.0.0.1:8443/x, ",
                              0),
            0u)
      << description;
  EXPECT_EQ(description.back(), '}');
}

TEST(HTTPRequest, LibcurlIsTheGnuTLSBuildWithTheDecodersWeAdvertise) {
  const curl_version_info_data* info = curl_version_info(CURLVERSION_NOW);
  ASSERT_NE(info, nullptr);
  ASSERT_NE(info->ssl_version, nullptr);
  // An OpenSSL-linked libcurl would bind to the OpenSSL the host binary exports.
  EXPECT_EQ(std::strncmp(info->ssl_version, "GnuTLS", 6), 0) << info->ssl_version;
  EXPECT_TRUE(info->features & CURL_VERSION_LIBZ);
  EXPECT_TRUE(info->features & CURL_VERSION_ASYNCHDNS);
}
