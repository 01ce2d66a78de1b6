#pragma once

#include <string>

namespace velquarin::platform::http {

// Failure codes of URL loading, with the values and texts hosts already know from the
// platform this module was first written for.
enum URLErrorCode : long {
  kURLErrorUnknown = -1,
  kURLErrorBadURL = -1000,
  kURLErrorTimedOut = -1001,
  kURLErrorUnsupportedURL = -1002,
  kURLErrorCannotFindHost = -1003,
  kURLErrorCannotConnectToHost = -1004,
  kURLErrorNetworkConnectionLost = -1005,
  kURLErrorHTTPTooManyRedirects = -1007,
  kURLErrorBadServerResponse = -1011,
  kURLErrorCannotDecodeRawData = -1015,
  kURLErrorDataLengthExceedsMaximum = -1103,
  kURLErrorSecureConnectionFailed = -1200,
  kURLErrorServerCertificateUntrusted = -1202,
  kURLErrorCannotLoadFromNetwork = -2000,
};

struct URLError {
  long code = kURLErrorUnknown;
  std::string failingURL;
  // Detail for developers (the transport's own message); not shown to users.
  std::string debugDescription;

  // The user-facing sentence for the code ("The request timed out.").
  std::string localizedDescription() const;
  // The whole description in the platform's shape:
  // Error Domain=NSURLErrorDomain Code=-1001 "The request timed out." UserInfo={...}
  std::string description() const;
};

// The error for a libcurl result code (CURLcode), for a transfer of `url`.
URLError urlErrorForCurlCode(int curlCode, std::string url, std::string detail = {});

}  // namespace velquarin::platform::http
