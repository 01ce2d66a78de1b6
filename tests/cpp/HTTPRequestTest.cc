#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include "http/CurlLibrary.h"
#include "http/HTTPRequest.h"
#include "http/URLError.h"

namespace http = velquarin::platform::http;

// Which URLs are refused, and what follows a redirect to another origin, is pinned by
// tests/js/network.test.js against real servers.
TEST(HTTPRequest, URLsResolveAndCompareOrigins) {
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

}

TEST(HTTPRequest, LibcurlIsTheGnuTLSBuildWithTheDecodersWeAdvertise) {
  const auto* library = http::CurlLibrary::get();  // the one opened beside the platform
  ASSERT_NE(library, nullptr);
  const curl_version_info_data* info = library->version_info(CURLVERSION_NOW);
  ASSERT_NE(info, nullptr);
  ASSERT_NE(info->ssl_version, nullptr);
  // An OpenSSL-linked libcurl would bind to the OpenSSL the host binary exports.
  EXPECT_EQ(std::strncmp(info->ssl_version, "GnuTLS", 6), 0) << info->ssl_version;
  EXPECT_TRUE(info->features & CURL_VERSION_LIBZ);
  EXPECT_TRUE(info->features & CURL_VERSION_ASYNCHDNS);
}
