// libvelquarin-gio.so: the only part of the platform linked to GIO and GObject.

#include "gio/GioLibrary.h"

using velquarin::platform::GioLibrary;

extern "C" __attribute__((visibility("default"))) const GioLibrary* velquarin_gio_library() {
  static const GioLibrary table{
      .app_info_get_all = &g_app_info_get_all,
      .app_info_get_all_for_type = &g_app_info_get_all_for_type,
      .app_info_get_default_for_type = &g_app_info_get_default_for_type,
      .app_info_get_icon = &g_app_info_get_icon,
      .app_info_get_id = &g_app_info_get_id,
      .app_info_get_name = &g_app_info_get_name,
      .app_info_launch_default_for_uri = &g_app_info_launch_default_for_uri,
      .app_info_launch_uris = &g_app_info_launch_uris,
      .app_info_set_as_default_for_type = &g_app_info_set_as_default_for_type,
      .bus_get_sync = &g_bus_get_sync,
      .cancellable_cancel = &g_cancellable_cancel,
      .cancellable_new = &g_cancellable_new,
      .content_type_get_icon = &g_content_type_get_icon,
      .content_type_get_mime_type = &g_content_type_get_mime_type,
      .content_type_guess = &g_content_type_guess,
      .content_type_is_unknown = &g_content_type_is_unknown,
      .dbus_connection_call_sync = &g_dbus_connection_call_sync,
      .dbus_connection_is_closed = &g_dbus_connection_is_closed,
      .dbus_connection_set_exit_on_close = &g_dbus_connection_set_exit_on_close,
      .dbus_proxy_get_connection = &g_dbus_proxy_get_connection,
      .dbus_proxy_get_name = &g_dbus_proxy_get_name,
      .dbus_proxy_get_type = &g_dbus_proxy_get_type,
      .desktop_app_info_get_filename = &g_desktop_app_info_get_filename,
      .desktop_app_info_get_type = &g_desktop_app_info_get_type,
      .desktop_app_info_new = &g_desktop_app_info_new,
      .desktop_app_info_new_from_filename = &g_desktop_app_info_new_from_filename,
      .file_get_path = &g_file_get_path,
      .file_icon_get_file = &g_file_icon_get_file,
      .file_icon_get_type = &g_file_icon_get_type,
      .file_info_get_icon = &g_file_info_get_icon,
      .file_new_for_path = &g_file_new_for_path,
      .file_query_info = &g_file_query_info,
      .icon_to_string = &g_icon_to_string,
      .object_ref = &g_object_ref,
      .object_unref = &g_object_unref,
      .themed_icon_get_names = &g_themed_icon_get_names,
      .themed_icon_get_type = &g_themed_icon_get_type,
      .type_check_instance_cast = &g_type_check_instance_cast,
      .type_check_instance_is_a = &g_type_check_instance_is_a,
  };
  return &table;
}
