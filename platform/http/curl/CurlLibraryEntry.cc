// libvelquarin-curl.so: the only part of the package linked to libcurl.

#include "http/CurlLibrary.h"

using velquarin::platform::http::CurlLibrary;

extern "C" __attribute__((visibility("default"))) const CurlLibrary* velquarin_curl_library() {
  static const CurlLibrary table{
      .global_init_mem = &curl_global_init_mem,
      .version_info = &curl_version_info,
      .free = &curl_free,
      .easy_init = &curl_easy_init,
      .easy_cleanup = &curl_easy_cleanup,
      .easy_setopt = &curl_easy_setopt,
      .easy_getinfo = &curl_easy_getinfo,
      .easy_header = &curl_easy_header,
      .easy_strerror = &curl_easy_strerror,
      .multi_init = &curl_multi_init,
      .multi_cleanup = &curl_multi_cleanup,
      .multi_setopt = &curl_multi_setopt,
      .multi_add_handle = &curl_multi_add_handle,
      .multi_remove_handle = &curl_multi_remove_handle,
      .multi_socket_action = &curl_multi_socket_action,
      .multi_info_read = &curl_multi_info_read,
      .multi_timeout = &curl_multi_timeout,
      .slist_append = &curl_slist_append,
      .slist_free_all = &curl_slist_free_all,
      .url = &curl_url,
      .url_cleanup = &curl_url_cleanup,
      .url_get = &curl_url_get,
      .url_set = &curl_url_set,
  };
  return &table;
}
