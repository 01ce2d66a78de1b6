// libvelquarin-secret.so: the only part of the package linked to libsecret.

#include "keychain/SecretLibrary.h"

using velquarin::platform::keychain::SecretLibrary;

extern "C" __attribute__((visibility("default"))) const SecretLibrary* velquarin_secret_library() {
  static const SecretLibrary table{
      .service_get_type = &secret_service_get_type,
      .item_get_type = &secret_item_get_type,
      .service_open_sync = &secret_service_open_sync,
      .service_search_sync = &secret_service_search_sync,
      .service_search_for_dbus_paths_sync = &secret_service_search_for_dbus_paths_sync,
      .service_get_secret_for_dbus_path_sync = &secret_service_get_secret_for_dbus_path_sync,
      .service_delete_item_dbus_path_sync = &secret_service_delete_item_dbus_path_sync,
      .service_create_item_dbus_path_sync = &secret_service_create_item_dbus_path_sync,
      .service_read_alias_dbus_path_sync = &secret_service_read_alias_dbus_path_sync,
      .service_encode_dbus_secret = &secret_service_encode_dbus_secret,
      .item_get_attributes = &secret_item_get_attributes,
      .value_new = &secret_value_new,
      .value_get = &secret_value_get,
      .value_unref = &secret_value_unref,
  };
  return &table;
}
