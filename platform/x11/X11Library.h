#pragma once

// xcb with its X-Resource and XKB extensions, and libxkbcommon, are opened the first time the
// clipboard, a hot key, a screen capture or a keyboard layout needs them: they live behind
// libvelquarin-x11.so, beside the platform library, which hands back this table.

#include <xcb/res.h>
#include <xcb/xcb.h>
// xkb.h names a member "explicit", a C++ keyword.
#define explicit xkb_explicit
#include <xcb/xkb.h>
#undef explicit
#include <xkbcommon/xkbcommon.h>

namespace velquarin::platform {

// Members keep the C names, so a call reads `x11().xcb_flush(connection)`.
struct X11Library {
  decltype(&::xcb_change_property) xcb_change_property;
  decltype(&::xcb_change_window_attributes) xcb_change_window_attributes;
  decltype(&::xcb_connect) xcb_connect;
  decltype(&::xcb_connection_has_error) xcb_connection_has_error;
  decltype(&::xcb_convert_selection) xcb_convert_selection;
  decltype(&::xcb_create_window) xcb_create_window;
  decltype(&::xcb_delete_property) xcb_delete_property;
  decltype(&::xcb_disconnect) xcb_disconnect;
  decltype(&::xcb_flush) xcb_flush;
  decltype(&::xcb_generate_id) xcb_generate_id;
  decltype(&::xcb_get_atom_name) xcb_get_atom_name;
  decltype(&::xcb_get_atom_name_name) xcb_get_atom_name_name;
  decltype(&::xcb_get_atom_name_name_length) xcb_get_atom_name_name_length;
  decltype(&::xcb_get_atom_name_reply) xcb_get_atom_name_reply;
  decltype(&::xcb_get_file_descriptor) xcb_get_file_descriptor;
  decltype(&::xcb_get_image) xcb_get_image;
  decltype(&::xcb_get_image_data) xcb_get_image_data;
  decltype(&::xcb_get_image_data_length) xcb_get_image_data_length;
  decltype(&::xcb_get_image_reply) xcb_get_image_reply;
  decltype(&::xcb_get_keyboard_mapping) xcb_get_keyboard_mapping;
  decltype(&::xcb_get_keyboard_mapping_keysyms) xcb_get_keyboard_mapping_keysyms;
  decltype(&::xcb_get_keyboard_mapping_reply) xcb_get_keyboard_mapping_reply;
  decltype(&::xcb_get_maximum_request_length) xcb_get_maximum_request_length;
  decltype(&::xcb_get_modifier_mapping) xcb_get_modifier_mapping;
  decltype(&::xcb_get_modifier_mapping_keycodes) xcb_get_modifier_mapping_keycodes;
  decltype(&::xcb_get_modifier_mapping_reply) xcb_get_modifier_mapping_reply;
  decltype(&::xcb_get_property) xcb_get_property;
  decltype(&::xcb_get_property_reply) xcb_get_property_reply;
  decltype(&::xcb_get_property_value) xcb_get_property_value;
  decltype(&::xcb_get_property_value_length) xcb_get_property_value_length;
  decltype(&::xcb_get_selection_owner) xcb_get_selection_owner;
  decltype(&::xcb_get_selection_owner_reply) xcb_get_selection_owner_reply;
  decltype(&::xcb_get_setup) xcb_get_setup;
  decltype(&::xcb_grab_key_checked) xcb_grab_key_checked;
  decltype(&::xcb_intern_atom) xcb_intern_atom;
  decltype(&::xcb_intern_atom_reply) xcb_intern_atom_reply;
  decltype(&::xcb_poll_for_event) xcb_poll_for_event;
  decltype(&::xcb_prefetch_maximum_request_length) xcb_prefetch_maximum_request_length;
  decltype(&::xcb_request_check) xcb_request_check;
  decltype(&::xcb_res_client_id_value_next) xcb_res_client_id_value_next;
  decltype(&::xcb_res_client_id_value_value) xcb_res_client_id_value_value;
  decltype(&::xcb_res_client_id_value_value_length) xcb_res_client_id_value_value_length;
  decltype(&::xcb_res_query_client_ids) xcb_res_query_client_ids;
  decltype(&::xcb_res_query_client_ids_ids_iterator) xcb_res_query_client_ids_ids_iterator;
  decltype(&::xcb_res_query_client_ids_reply) xcb_res_query_client_ids_reply;
  decltype(&::xcb_screen_next) xcb_screen_next;
  decltype(&::xcb_send_event) xcb_send_event;
  decltype(&::xcb_set_selection_owner) xcb_set_selection_owner;
  decltype(&::xcb_setup_roots_iterator) xcb_setup_roots_iterator;
  decltype(&::xcb_ungrab_key) xcb_ungrab_key;
  decltype(&::xcb_xkb_per_client_flags) xcb_xkb_per_client_flags;
  decltype(&::xcb_xkb_per_client_flags_reply) xcb_xkb_per_client_flags_reply;
  decltype(&::xcb_xkb_use_extension) xcb_xkb_use_extension;
  decltype(&::xcb_xkb_use_extension_reply) xcb_xkb_use_extension_reply;
  decltype(&::xkb_context_new) xkb_context_new;
  decltype(&::xkb_context_set_log_level) xkb_context_set_log_level;
  decltype(&::xkb_context_unref) xkb_context_unref;
  decltype(&::xkb_keymap_key_get_syms_by_level) xkb_keymap_key_get_syms_by_level;
  decltype(&::xkb_keymap_new_from_names) xkb_keymap_new_from_names;
  decltype(&::xkb_keymap_unref) xkb_keymap_unref;
  decltype(&::xkb_keysym_to_utf8) xkb_keysym_to_utf8;
  decltype(&::xkb_state_key_get_utf8) xkb_state_key_get_utf8;
  decltype(&::xkb_state_new) xkb_state_new;
  decltype(&::xkb_state_unref) xkb_state_unref;
  decltype(&::xkb_state_update_key) xkb_state_update_key;

  // Opened on the first call; null (logged once) when it cannot be opened.
  static const X11Library* get();
};

// The table, once get() has returned it: every X connection and keymap was made through it.
const X11Library& x11();

// The one function libvelquarin-x11.so exports, by this name, with C linkage.
inline constexpr char kX11LibraryEntry[] = "velquarin_x11_library";

}  // namespace velquarin::platform
