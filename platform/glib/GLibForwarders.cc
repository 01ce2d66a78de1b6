// The g_* functions the platform library and the module call, defined in each of them and
// forwarded through the table of libvelquarin-glib.so. This file is compiled with hidden
// visibility (platform/CMakeLists.txt; the module's objects are hidden anyway): the
// definitions bind each library's own calls at link time and never interpose on a GLib the
// host or another library loads. Each name is parenthesised where it is defined: GLib has
// some of them as function-like macros too.
#include <glib.h>

#include <cstdarg>

#include "glib/GLibLibrary.h"
#include "runtime/SideLibrary.h"

namespace {

// GLib is what much of the platform stands on: a call that cannot reach it has no answer
// to give, so the process stops here, after the Error line that says why.
const velquarin::platform::GLibLibrary& glib() {
  return velquarin::platform::openedTable(velquarin::platform::GLibLibrary::get());
}

// The lengths of UTF-8 sequences by their first byte, as g_utf8_next_char() reads them.
constexpr gchar kUtf8Skip[256] = {
    1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
    1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
    1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
    1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
    1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
    1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
    2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2,
    3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 4, 4, 4, 4, 4, 4, 4, 4, 5, 5, 5, 5, 6, 6, 1, 1};

}  // namespace

extern "C" {

const gchar* const g_utf8_skip = kUtf8Skip;

gchar(g_ascii_toupper)(gchar c) {
  return glib().ascii_toupper(c);
}

guchar*(g_base64_decode)(const gchar* text, gsize* out_len) {
  return glib().base64_decode(text, out_len);
}

gchar*(g_base64_encode)(const guchar* data, gsize len) {
  return glib().base64_encode(data, len);
}

void(g_clear_error)(GError** err) {
  glib().clear_error(err);
}

gchar*(g_compute_checksum_for_string)(GChecksumType checksum_type, const gchar* str,
                                      gssize length) {
  return glib().compute_checksum_for_string(checksum_type, str, length);
}

gchar*(g_convert)(const gchar* str, gssize len, const gchar* to_codeset, const gchar* from_codeset,
                  gsize* bytes_read, gsize* bytes_written, GError** error) {
  return glib().convert(str, len, to_codeset, from_codeset, bytes_read, bytes_written, error);
}

void(g_error_free)(GError* error) {
  glib().error_free(error);
}

gboolean(g_error_matches)(const GError* error, GQuark domain, gint code) {
  return glib().error_matches(error, domain, code);
}

GQuark(g_file_error_quark)() {
  return glib().file_error_quark();
}

gboolean(g_file_test)(const gchar* filename, GFileTest test) {
  return glib().file_test(filename, test);
}

gchar*(g_filename_to_uri)(const gchar* filename, const gchar* hostname, GError** error) {
  return glib().filename_to_uri(filename, hostname, error);
}

gchar*(g_find_program_in_path)(const gchar* program) {
  return glib().find_program_in_path(program);
}

void(g_free)(gpointer mem) {
  glib().free(mem);
}

const gchar*(g_get_home_dir)() {
  return glib().get_home_dir();
}

const gchar* const*(g_get_system_data_dirs)() {
  return glib().get_system_data_dirs();
}

const gchar*(g_get_user_config_dir)() {
  return glib().get_user_config_dir();
}

const gchar*(g_get_user_data_dir)() {
  return glib().get_user_data_dir();
}

gboolean(g_hash_table_insert)(GHashTable* hash_table, gpointer key, gpointer value) {
  return glib().hash_table_insert(hash_table, key, value);
}

void(g_hash_table_iter_init)(GHashTableIter* iter, GHashTable* hash_table) {
  glib().hash_table_iter_init(iter, hash_table);
}

gboolean(g_hash_table_iter_next)(GHashTableIter* iter, gpointer* key, gpointer* value) {
  return glib().hash_table_iter_next(iter, key, value);
}

gpointer(g_hash_table_lookup)(GHashTable* hash_table, gconstpointer key) {
  return glib().hash_table_lookup(hash_table, key);
}

GHashTable*(g_hash_table_new)(GHashFunc hash_func, GEqualFunc key_equal_func) {
  return glib().hash_table_new(hash_func, key_equal_func);
}

GHashTable*(g_hash_table_new_full)(GHashFunc hash_func, GEqualFunc key_equal_func,
                                   GDestroyNotify key_destroy_func,
                                   GDestroyNotify value_destroy_func) {
  return glib().hash_table_new_full(hash_func, key_equal_func, key_destroy_func,
                                    value_destroy_func);
}

void(g_hash_table_unref)(GHashTable* hash_table) {
  glib().hash_table_unref(hash_table);
}

void(g_key_file_free)(GKeyFile* key_file) {
  glib().key_file_free(key_file);
}

gboolean(g_key_file_get_boolean)(GKeyFile* key_file, const gchar* group_name, const gchar* key,
                                 GError** error) {
  return glib().key_file_get_boolean(key_file, group_name, key, error);
}

gint(g_key_file_get_integer)(GKeyFile* key_file, const gchar* group_name, const gchar* key,
                             GError** error) {
  return glib().key_file_get_integer(key_file, group_name, key, error);
}

gchar*(g_key_file_get_string)(GKeyFile* key_file, const gchar* group_name, const gchar* key,
                              GError** error) {
  return glib().key_file_get_string(key_file, group_name, key, error);
}

gchar**(g_key_file_get_string_list)(GKeyFile* key_file, const gchar* group_name, const gchar* key,
                                    gsize* length, GError** error) {
  return glib().key_file_get_string_list(key_file, group_name, key, length, error);
}

gboolean(g_key_file_has_group)(GKeyFile* key_file, const gchar* group_name) {
  return glib().key_file_has_group(key_file, group_name);
}

gboolean(g_key_file_load_from_data)(GKeyFile* key_file, const gchar* data, gsize length,
                                    GKeyFileFlags flags, GError** error) {
  return glib().key_file_load_from_data(key_file, data, length, flags, error);
}

gboolean(g_key_file_load_from_file)(GKeyFile* key_file, const gchar* file, GKeyFileFlags flags,
                                    GError** error) {
  return glib().key_file_load_from_file(key_file, file, flags, error);
}

GKeyFile*(g_key_file_new)() {
  return glib().key_file_new();
}

void(g_key_file_set_list_separator)(GKeyFile* key_file, gchar separator) {
  glib().key_file_set_list_separator(key_file, separator);
}

void(g_key_file_set_string)(GKeyFile* key_file, const gchar* group_name, const gchar* key,
                            const gchar* string) {
  glib().key_file_set_string(key_file, group_name, key, string);
}

gchar*(g_key_file_to_data)(GKeyFile* key_file, gsize* length, GError** error) {
  return glib().key_file_to_data(key_file, length, error);
}

void(g_key_file_unref)(GKeyFile* key_file) {
  glib().key_file_unref(key_file);
}

void(g_list_free_full)(GList* list, GDestroyNotify free_func) {
  glib().list_free_full(list, free_func);
}

GList*(g_list_prepend)(GList* list, gpointer data) {
  return glib().list_prepend(list, data);
}

gchar*(g_path_get_basename)(const gchar* file_name) {
  return glib().path_get_basename(file_name);
}

GQuark(g_quark_try_string)(const gchar* string) {
  return glib().quark_try_string(string);
}

gboolean(g_shell_parse_argv)(const gchar* command_line, gint* argcp, gchar*** argvp,
                             GError** error) {
  return glib().shell_parse_argv(command_line, argcp, argvp, error);
}

gboolean(g_str_equal)(gconstpointer v1, gconstpointer v2) {
  return glib().str_equal(v1, v2);
}

guint(g_str_hash)(gconstpointer v) {
  return glib().str_hash(v);
}

gchar*(g_strdup)(const gchar* str) {
  return glib().strdup(str);
}

void(g_strfreev)(gchar** str_array) {
  glib().strfreev(str_array);
}

gint(g_unichar_to_utf8)(gunichar c, gchar* outbuf) {
  return glib().unichar_to_utf8(c, outbuf);
}

GUnicodeType(g_unichar_type)(gunichar c) {
  return glib().unichar_type(c);
}

char*(g_uri_parse_scheme)(const char* uri) {
  return glib().uri_parse_scheme(uri);
}

gunichar(g_utf8_get_char)(const gchar* p) {
  return glib().utf8_get_char(p);
}

gchar*(g_utf8_make_valid)(const gchar* str, gssize len) {
  return glib().utf8_make_valid(str, len);
}

gchar*(g_utf8_strdown)(const gchar* str, gssize len) {
  return glib().utf8_strdown(str, len);
}

glong(g_utf8_strlen)(const gchar* p, gssize max) {
  return glib().utf8_strlen(p, max);
}

gchar*(g_utf8_strup)(const gchar* str, gssize len) {
  return glib().utf8_strup(str, len);
}

gunichar2*(g_utf8_to_utf16)(const gchar* str, glong len, glong* items_read, glong* items_written,
                            GError** error) {
  return glib().utf8_to_utf16(str, len, items_read, items_written, error);
}

gboolean(g_utf8_validate)(const gchar* str, gssize max_len, const gchar** end) {
  return glib().utf8_validate(str, max_len, end);
}

gchar*(g_uuid_string_random)() {
  return glib().uuid_string_random();
}

GVariant*(g_variant_builder_end)(GVariantBuilder* builder) {
  return glib().variant_builder_end(builder);
}

void(g_variant_builder_init)(GVariantBuilder* builder, const GVariantType* type) {
  glib().variant_builder_init(builder, type);
}

gboolean(g_variant_get_boolean)(GVariant* value) {
  return glib().variant_get_boolean(value);
}

guint64(g_variant_get_uint64)(GVariant* value) {
  return glib().variant_get_uint64(value);
}

gboolean(g_variant_is_of_type)(GVariant* value, const GVariantType* type) {
  return glib().variant_is_of_type(value, type);
}

GVariant*(g_variant_new_string)(const gchar* string) {
  return glib().variant_new_string(string);
}

GVariant*(g_variant_new_tuple)(GVariant* const* children, gsize n_children) {
  return glib().variant_new_tuple(children, n_children);
}

GVariant*(g_variant_ref_sink)(GVariant* value) {
  return glib().variant_ref_sink(value);
}

const GVariantType*(g_variant_type_checked_)(const gchar* arg0) {
  return glib().variant_type_checked_(arg0);
}

void(g_variant_unref)(GVariant* value) {
  glib().variant_unref(value);
}

gchar*(g_build_filename)(const gchar* first_element, ...) {
  va_list args;
  va_start(args, first_element);
  gchar* path = glib().build_filename_valist(first_element, &args);
  va_end(args);
  return path;
}

GVariant*(g_variant_new)(const gchar* format_string, ...) {
  va_list args;
  va_start(args, format_string);
  GVariant* value = glib().variant_new_va(format_string, nullptr, &args);
  va_end(args);
  return value;
}

void(g_variant_get)(GVariant* value, const gchar* format_string, ...) {
  va_list args;
  va_start(args, format_string);
  glib().variant_get_va(value, format_string, nullptr, &args);
  va_end(args);
}

void(g_variant_builder_add)(GVariantBuilder* builder, const gchar* format_string, ...) {
  va_list args;
  va_start(args, format_string);
  GVariant* value = glib().variant_new_va(format_string, nullptr, &args);
  va_end(args);
  glib().variant_builder_add_value(builder, value);
}

// A value of another type than the format asks for is not found, as in GLib.
gboolean(g_variant_lookup)(GVariant* dictionary, const gchar* key, const gchar* format_string,
                           ...) {
  GVariant* value = glib().variant_lookup_value(dictionary, key, nullptr);
  if (!value) return FALSE;
  if (!glib().variant_check_format_string(value, format_string, FALSE)) {
    glib().variant_unref(value);
    return FALSE;
  }
  va_list args;
  va_start(args, format_string);
  glib().variant_get_va(value, format_string, nullptr, &args);
  va_end(args);
  glib().variant_unref(value);
  return TRUE;
}

}  // extern "C"
