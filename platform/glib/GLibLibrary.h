#pragma once

// GLib (with PCRE2 below it) is opened the first time the platform or the module calls it:
// key files, text conversions, hash tables, variants. Start-up calls none of it unless the
// desktop has a GTK settings file to read. It lives behind libvelquarin-glib.so, beside the
// platform library, which hands back this table. Both libraries keep calling the g_* names:
// GLibForwarders.cc defines them, hidden, in each, and forwards each through the table.
// Members drop the g_ prefix: some GLib names are also function-like macros.

#include <glib.h>

namespace velquarin::platform {

struct GLibLibrary {
  decltype(&::g_ascii_toupper) ascii_toupper;
  decltype(&::g_base64_decode) base64_decode;
  decltype(&::g_base64_encode) base64_encode;
  decltype(&::g_build_filename_valist) build_filename_valist;
  decltype(&::g_clear_error) clear_error;
  decltype(&::g_compute_checksum_for_string) compute_checksum_for_string;
  decltype(&::g_convert) convert;
  decltype(&::g_error_free) error_free;
  decltype(&::g_error_matches) error_matches;
  decltype(&::g_file_error_quark) file_error_quark;
  decltype(&::g_file_test) file_test;
  decltype(&::g_filename_to_uri) filename_to_uri;
  decltype(&::g_find_program_in_path) find_program_in_path;
  decltype(&::g_free) free;
  decltype(&::g_get_home_dir) get_home_dir;
  decltype(&::g_get_system_data_dirs) get_system_data_dirs;
  decltype(&::g_get_user_config_dir) get_user_config_dir;
  decltype(&::g_get_user_data_dir) get_user_data_dir;
  decltype(&::g_hash_table_insert) hash_table_insert;
  decltype(&::g_hash_table_iter_init) hash_table_iter_init;
  decltype(&::g_hash_table_iter_next) hash_table_iter_next;
  decltype(&::g_hash_table_lookup) hash_table_lookup;
  decltype(&::g_hash_table_new) hash_table_new;
  decltype(&::g_hash_table_new_full) hash_table_new_full;
  decltype(&::g_hash_table_unref) hash_table_unref;
  decltype(&::g_key_file_free) key_file_free;
  decltype(&::g_key_file_get_boolean) key_file_get_boolean;
  decltype(&::g_key_file_get_integer) key_file_get_integer;
  decltype(&::g_key_file_get_string) key_file_get_string;
  decltype(&::g_key_file_get_string_list) key_file_get_string_list;
  decltype(&::g_key_file_has_group) key_file_has_group;
  decltype(&::g_key_file_load_from_data) key_file_load_from_data;
  decltype(&::g_key_file_load_from_file) key_file_load_from_file;
  decltype(&::g_key_file_new) key_file_new;
  decltype(&::g_key_file_set_list_separator) key_file_set_list_separator;
  decltype(&::g_key_file_set_string) key_file_set_string;
  decltype(&::g_key_file_to_data) key_file_to_data;
  decltype(&::g_key_file_unref) key_file_unref;
  decltype(&::g_list_free_full) list_free_full;
  decltype(&::g_list_prepend) list_prepend;
  decltype(&::g_path_get_basename) path_get_basename;
  decltype(&::g_quark_try_string) quark_try_string;
  decltype(&::g_shell_parse_argv) shell_parse_argv;
  decltype(&::g_str_equal) str_equal;
  decltype(&::g_str_hash) str_hash;
  decltype(&::g_strdup) strdup;
  decltype(&::g_strfreev) strfreev;
  decltype(&::g_unichar_to_utf8) unichar_to_utf8;
  decltype(&::g_unichar_type) unichar_type;
  decltype(&::g_uri_parse_scheme) uri_parse_scheme;
  decltype(&::g_utf8_get_char) utf8_get_char;
  decltype(&::g_utf8_make_valid) utf8_make_valid;
  decltype(&::g_utf8_strdown) utf8_strdown;
  decltype(&::g_utf8_strlen) utf8_strlen;
  decltype(&::g_utf8_strup) utf8_strup;
  decltype(&::g_utf8_to_utf16) utf8_to_utf16;
  decltype(&::g_utf8_validate) utf8_validate;
  decltype(&::g_uuid_string_random) uuid_string_random;
  decltype(&::g_variant_builder_add_value) variant_builder_add_value;
  decltype(&::g_variant_builder_end) variant_builder_end;
  decltype(&::g_variant_builder_init) variant_builder_init;
  decltype(&::g_variant_check_format_string) variant_check_format_string;
  decltype(&::g_variant_get_boolean) variant_get_boolean;
  decltype(&::g_variant_get_uint64) variant_get_uint64;
  decltype(&::g_variant_get_va) variant_get_va;
  decltype(&::g_variant_is_of_type) variant_is_of_type;
  decltype(&::g_variant_lookup_value) variant_lookup_value;
  decltype(&::g_variant_new_string) variant_new_string;
  decltype(&::g_variant_new_tuple) variant_new_tuple;
  decltype(&::g_variant_new_va) variant_new_va;
  decltype(&::g_variant_ref_sink) variant_ref_sink;
  decltype(&::g_variant_type_checked_) variant_type_checked_;
  decltype(&::g_variant_unref) variant_unref;

  // Opened on the first call, from any thread; null (logged once) when it cannot be opened.
  static const GLibLibrary* get();
  // Whether the library is there to be opened: checked when the module starts, since without
  // it the first GLib call would stop the process.
  static bool installed();
};

// The one function libvelquarin-glib.so exports, by this name, with C linkage.
inline constexpr char kGLibLibraryEntry[] = "velquarin_glib_library";
inline constexpr char kGLibLibraryFile[] = "libvelquarin-glib.so";

}  // namespace velquarin::platform
