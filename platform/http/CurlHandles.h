#pragma once

// Owning handles for libcurl's C objects, made through the table of CurlLibrary.h.

#include "http/CurlLibrary.h"

#include <memory>

namespace velquarin::platform::http {

struct CurlEasyDeleter {
  void operator()(CURL* easy) const { curl().easy_cleanup(easy); }
};
struct CurlMultiDeleter {
  void operator()(CURLM* multi) const { curl().multi_cleanup(multi); }
};
struct CurlSlistDeleter {
  void operator()(curl_slist* list) const { curl().slist_free_all(list); }
};
struct CurlURLDeleter {
  void operator()(CURLU* url) const { curl().url_cleanup(url); }
};
struct CurlStringDeleter {
  void operator()(char* text) const { curl().free(text); }
};

using CurlEasy = std::unique_ptr<CURL, CurlEasyDeleter>;
using CurlMulti = std::unique_ptr<CURLM, CurlMultiDeleter>;
using CurlSlist = std::unique_ptr<curl_slist, CurlSlistDeleter>;
using CurlURL = std::unique_ptr<CURLU, CurlURLDeleter>;
using CurlString = std::unique_ptr<char, CurlStringDeleter>;

}  // namespace velquarin::platform::http
