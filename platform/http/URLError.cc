#include "http/URLError.h"

#include "http/CurlHandles.h"

namespace velquarin::platform::http {
namespace {

std::string hostOf(const std::string& url) {
  if (!CurlLibrary::get()) return url;
  CurlURL parsed(curl().url());
  if (!parsed || curl().url_set(parsed.get(), CURLUPART_URL, url.c_str(), 0) != CURLUE_OK) {
    return url;
  }
  char* host = nullptr;
  if (curl().url_get(parsed.get(), CURLUPART_HOST, &host, 0) != CURLUE_OK || !host) return url;
  CurlString owned(host);
  return owned.get();
}

}  // namespace

std::string URLError::localizedDescription() const {
  switch (code) {
    case kURLErrorBadURL:
      return "bad URL";
    case kURLErrorTimedOut:
      return "The request timed out.";
    case kURLErrorUnsupportedURL:
      return "unsupported URL";
    case kURLErrorCannotFindHost:
      return "A server with the specified hostname could not be found.";
    case kURLErrorCannotConnectToHost:
      return "Could not connect to the server.";
    case kURLErrorNetworkConnectionLost:
      return "The network connection was lost.";
    case kURLErrorHTTPTooManyRedirects:
      return "too many HTTP redirects";
    case kURLErrorBadServerResponse:
      return "bad server response";
    case kURLErrorCannotDecodeRawData:
      return "cannot decode raw data";
    case kURLErrorDataLengthExceedsMaximum:
      return "resource exceeds maximum size";
    case kURLErrorSecureConnectionFailed:
      return "An SSL error has occurred and a secure connection to the server cannot be made.";
    case kURLErrorServerCertificateUntrusted:
      return "The certificate for this server is invalid. You might be connecting to a server "
             "that is pretending to be \u201c" +
             hostOf(failingURL) + "\u201d which could put your confidential information at risk.";
    case kURLErrorCannotLoadFromNetwork:
      return "The request could not be loaded from the network.";
    default:
      return "unknown error";
  }
}

std::string URLError::description() const {
  const std::string text = localizedDescription();
  std::string userInfo;
  if (!failingURL.empty()) {
    userInfo += "NSErrorFailingURLStringKey=" + failingURL + ", ";
    userInfo += "NSErrorFailingURLKey=" + failingURL + ", ";
  }
  if (!debugDescription.empty()) userInfo += "NSDebugDescription=" + debugDescription + ", ";
  userInfo += "NSLocalizedDescription=" + text;
  return "Error Domain=NSURLErrorDomain Code=" + std::to_string(code) + " \"" + text +
         "\" UserInfo={" + userInfo + "}";
}

URLError urlErrorForCurlCode(int curlCode, std::string url, std::string detail) {
  URLError error;
  error.failingURL = std::move(url);
  error.debugDescription = std::move(detail);
  if (error.debugDescription.empty() && CurlLibrary::get()) {
    error.debugDescription = curl().easy_strerror(static_cast<CURLcode>(curlCode));
  }
  switch (static_cast<CURLcode>(curlCode)) {
    case CURLE_OPERATION_TIMEDOUT:
      error.code = kURLErrorTimedOut;
      break;
    case CURLE_URL_MALFORMAT:
      error.code = kURLErrorBadURL;
      break;
    case CURLE_UNSUPPORTED_PROTOCOL:
      error.code = kURLErrorUnsupportedURL;
      break;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
      error.code = kURLErrorCannotFindHost;
      break;
    case CURLE_COULDNT_CONNECT:
      error.code = kURLErrorCannotConnectToHost;
      break;
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_GOT_NOTHING:
    case CURLE_PARTIAL_FILE:
    case CURLE_HTTP2:
    case CURLE_HTTP2_STREAM:
      error.code = kURLErrorNetworkConnectionLost;
      break;
    case CURLE_TOO_MANY_REDIRECTS:
      error.code = kURLErrorHTTPTooManyRedirects;
      break;
    case CURLE_WEIRD_SERVER_REPLY:
      error.code = kURLErrorBadServerResponse;
      break;
    case CURLE_BAD_CONTENT_ENCODING:
      error.code = kURLErrorCannotDecodeRawData;
      break;
    case CURLE_FILESIZE_EXCEEDED:
    case CURLE_OUT_OF_MEMORY:
      error.code = kURLErrorDataLengthExceedsMaximum;
      break;
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
      error.code = kURLErrorServerCertificateUntrusted;
      break;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_ENGINE_NOTFOUND:
    case CURLE_SSL_ENGINE_SETFAILED:
    case CURLE_SSL_SHUTDOWN_FAILED:
    case CURLE_SSL_CRL_BADFILE:
    case CURLE_USE_SSL_FAILED:
      error.code = kURLErrorSecureConnectionFailed;
      break;
    default:
      error.code = kURLErrorUnknown;
      break;
  }
  return error;
}

}  // namespace velquarin::platform::http
