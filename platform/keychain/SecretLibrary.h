#pragma once

// libsecret is opened the first time the credential store talks to the Secret Service: it
// lives behind libvelquarin-secret.so, beside the platform library, which hands back this
// table of the libsecret functions the store calls.

#include <libsecret/secret.h>

namespace velquarin::platform::keychain {

struct SecretLibrary {
  decltype(&::secret_service_get_type) service_get_type;
  decltype(&::secret_item_get_type) item_get_type;
  decltype(&::secret_service_open_sync) service_open_sync;
  decltype(&::secret_service_search_sync) service_search_sync;
  decltype(&::secret_service_search_for_dbus_paths_sync) service_search_for_dbus_paths_sync;
  decltype(&::secret_service_get_secret_for_dbus_path_sync) service_get_secret_for_dbus_path_sync;
  decltype(&::secret_service_delete_item_dbus_path_sync) service_delete_item_dbus_path_sync;
  decltype(&::secret_service_create_item_dbus_path_sync) service_create_item_dbus_path_sync;
  decltype(&::secret_service_read_alias_dbus_path_sync) service_read_alias_dbus_path_sync;
  decltype(&::secret_service_encode_dbus_secret) service_encode_dbus_secret;
  decltype(&::secret_item_get_attributes) item_get_attributes;
  decltype(&::secret_value_new) value_new;
  decltype(&::secret_value_get) value_get;
  decltype(&::secret_value_unref) value_unref;

  // Opened on the first call; null (logged once) when it cannot be opened.
  static const SecretLibrary* get();
};

// The table, once get() has returned it: every libsecret object was made through it.
const SecretLibrary& libsecret();

// The one function libvelquarin-secret.so exports, by this name, with C linkage.
inline constexpr char kSecretLibraryEntry[] = "velquarin_secret_library";

}  // namespace velquarin::platform::keychain
