#pragma once

// GIO and GObject (with gmodule, libmount, libblkid, libselinux and libffi below them) are
// opened the first time a service needs them: applications and content types, file icons,
// the credential store's bus. Start-up uses none of them. They live behind
// libvelquarin-gio.so, beside the platform library, which hands back this table.
// Members drop the g_ prefix: some GLib names are also function-like macros.

#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

namespace velquarin::platform {

struct GioLibrary {
  decltype(&::g_app_info_get_all) app_info_get_all;
  decltype(&::g_app_info_get_all_for_type) app_info_get_all_for_type;
  decltype(&::g_app_info_get_default_for_type) app_info_get_default_for_type;
  decltype(&::g_app_info_get_icon) app_info_get_icon;
  decltype(&::g_app_info_get_id) app_info_get_id;
  decltype(&::g_app_info_get_name) app_info_get_name;
  decltype(&::g_app_info_launch_default_for_uri) app_info_launch_default_for_uri;
  decltype(&::g_app_info_launch_uris) app_info_launch_uris;
  decltype(&::g_app_info_set_as_default_for_type) app_info_set_as_default_for_type;
  decltype(&::g_bus_get_sync) bus_get_sync;
  decltype(&::g_cancellable_cancel) cancellable_cancel;
  decltype(&::g_cancellable_new) cancellable_new;
  decltype(&::g_content_type_get_icon) content_type_get_icon;
  decltype(&::g_content_type_get_mime_type) content_type_get_mime_type;
  decltype(&::g_content_type_guess) content_type_guess;
  decltype(&::g_content_type_is_unknown) content_type_is_unknown;
  decltype(&::g_dbus_connection_call_sync) dbus_connection_call_sync;
  decltype(&::g_dbus_connection_is_closed) dbus_connection_is_closed;
  decltype(&::g_dbus_connection_set_exit_on_close) dbus_connection_set_exit_on_close;
  decltype(&::g_dbus_proxy_get_connection) dbus_proxy_get_connection;
  decltype(&::g_dbus_proxy_get_name) dbus_proxy_get_name;
  decltype(&::g_dbus_proxy_get_type) dbus_proxy_get_type;
  decltype(&::g_desktop_app_info_get_filename) desktop_app_info_get_filename;
  decltype(&::g_desktop_app_info_get_type) desktop_app_info_get_type;
  decltype(&::g_desktop_app_info_new) desktop_app_info_new;
  decltype(&::g_desktop_app_info_new_from_filename) desktop_app_info_new_from_filename;
  decltype(&::g_file_get_path) file_get_path;
  decltype(&::g_file_icon_get_file) file_icon_get_file;
  decltype(&::g_file_icon_get_type) file_icon_get_type;
  decltype(&::g_file_info_get_icon) file_info_get_icon;
  decltype(&::g_file_new_for_path) file_new_for_path;
  decltype(&::g_file_query_info) file_query_info;
  decltype(&::g_icon_to_string) icon_to_string;
  decltype(&::g_object_ref) object_ref;
  decltype(&::g_object_unref) object_unref;
  decltype(&::g_themed_icon_get_names) themed_icon_get_names;
  decltype(&::g_themed_icon_get_type) themed_icon_get_type;
  decltype(&::g_type_check_instance_cast) type_check_instance_cast;
  decltype(&::g_type_check_instance_is_a) type_check_instance_is_a;

  // Opened on the first call; null (logged once) when it cannot be opened.
  static const GioLibrary* get();
};

// The table, once get() has returned it: every GIO object was made through it.
const GioLibrary& gio();

// G_IS_… and G_…(cast) through the table: the macros would call GObject directly.
inline bool gioIsA(gpointer object, GType type) {
  return object && gio().type_check_instance_is_a(static_cast<GTypeInstance*>(object), type);
}
template <typename T>
T* gioCast(gpointer object, GType type) {
  return reinterpret_cast<T*>(
      gio().type_check_instance_cast(static_cast<GTypeInstance*>(object), type));
}

// The one function libvelquarin-gio.so exports, by this name, with C linkage.
inline constexpr char kGioLibraryEntry[] = "velquarin_gio_library";

}  // namespace velquarin::platform
