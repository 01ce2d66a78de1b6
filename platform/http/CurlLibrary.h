#pragma once

// libcurl and the TLS, Kerberos, LDAP and SSH libraries it depends on are opened the first
// time a URL is parsed or a transfer starts: they live behind libvelquarin-curl.so, beside
// the platform library, which hands back this table of libcurl's functions.

#include <curl/curl.h>

namespace velquarin::platform::http {

struct CurlLibrary {
  decltype(&::curl_global_init_mem) global_init_mem;
  decltype(&::curl_version_info) version_info;
  decltype(&::curl_free) free;
  decltype(&::curl_easy_init) easy_init;
  decltype(&::curl_easy_cleanup) easy_cleanup;
  decltype(&::curl_easy_setopt) easy_setopt;
  decltype(&::curl_easy_getinfo) easy_getinfo;
  decltype(&::curl_easy_header) easy_header;
  decltype(&::curl_easy_strerror) easy_strerror;
  decltype(&::curl_multi_init) multi_init;
  decltype(&::curl_multi_cleanup) multi_cleanup;
  decltype(&::curl_multi_setopt) multi_setopt;
  decltype(&::curl_multi_add_handle) multi_add_handle;
  decltype(&::curl_multi_remove_handle) multi_remove_handle;
  decltype(&::curl_multi_socket_action) multi_socket_action;
  decltype(&::curl_multi_info_read) multi_info_read;
  decltype(&::curl_multi_timeout) multi_timeout;
  decltype(&::curl_slist_append) slist_append;
  decltype(&::curl_slist_free_all) slist_free_all;
  decltype(&::curl_url) url;
  decltype(&::curl_url_cleanup) url_cleanup;
  decltype(&::curl_url_get) url_get;
  decltype(&::curl_url_set) url_set;

  // Opened on the first call; null (logged once) when it cannot be opened.
  static const CurlLibrary* get();
};

// The table, once get() has returned it: every curl object was made through it.
const CurlLibrary& curl();

// The one function libvelquarin-curl.so exports, by this name, with C linkage.
inline constexpr char kCurlLibraryEntry[] = "velquarin_curl_library";

}  // namespace velquarin::platform::http
