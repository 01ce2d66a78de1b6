#pragma once

// libsystemd's sd-bus (with lz4, zstd, lzma, gcrypt, gpg-error and cap below it) is opened
// the first time a bus is: start-up reaches the session bus only off require's path. It
// lives behind libvelquarin-sdbus.so, beside the platform library, which hands back this
// table. The platform keeps calling the sd_bus_* names: SdBusLibrary.cc defines them, hidden
// inside the platform library, and forwards each through the table.

#include <systemd/sd-bus.h>

namespace velquarin::platform {

struct SdBusLibrary {
  decltype(&::sd_bus_add_fallback_vtable) add_fallback_vtable;
  decltype(&::sd_bus_add_match_async) add_match_async;
  decltype(&::sd_bus_add_node_enumerator) add_node_enumerator;
  decltype(&::sd_bus_add_object_manager) add_object_manager;
  decltype(&::sd_bus_add_object_vtable) add_object_vtable;
  decltype(&::sd_bus_call) call;
  decltype(&::sd_bus_call_async) call_async;
  decltype(&::sd_bus_call_method_asyncv) call_method_asyncv;
  decltype(&::sd_bus_emit_interfaces_added_strv) emit_interfaces_added_strv;
  decltype(&::sd_bus_emit_interfaces_removed_strv) emit_interfaces_removed_strv;
  decltype(&::sd_bus_emit_object_added) emit_object_added;
  decltype(&::sd_bus_emit_properties_changed_strv) emit_properties_changed_strv;
  decltype(&::sd_bus_emit_signalv) emit_signalv;
  decltype(&::sd_bus_error_free) error_free;
  decltype(&::sd_bus_error_has_name) error_has_name;
  decltype(&::sd_bus_error_set) error_set;
  decltype(&::sd_bus_flush_close_unref) flush_close_unref;
  decltype(&::sd_bus_get_events) get_events;
  decltype(&::sd_bus_get_fd) get_fd;
  decltype(&::sd_bus_get_timeout) get_timeout;
  decltype(&::sd_bus_get_unique_name) get_unique_name;
  decltype(&::sd_bus_is_ready) is_ready;
  decltype(&::sd_bus_match_signal) match_signal;
  decltype(&::sd_bus_match_signal_async) match_signal_async;
  decltype(&::sd_bus_message_appendv) message_appendv;
  decltype(&::sd_bus_message_append_array) message_append_array;
  decltype(&::sd_bus_message_append_basic) message_append_basic;
  decltype(&::sd_bus_message_at_end) message_at_end;
  decltype(&::sd_bus_message_close_container) message_close_container;
  decltype(&::sd_bus_message_enter_container) message_enter_container;
  decltype(&::sd_bus_message_exit_container) message_exit_container;
  decltype(&::sd_bus_message_get_cookie) message_get_cookie;
  decltype(&::sd_bus_message_get_error) message_get_error;
  decltype(&::sd_bus_message_get_member) message_get_member;
  decltype(&::sd_bus_message_get_path) message_get_path;
  decltype(&::sd_bus_message_get_reply_cookie) message_get_reply_cookie;
  decltype(&::sd_bus_message_is_method_error) message_is_method_error;
  decltype(&::sd_bus_message_new_method_call) message_new_method_call;
  decltype(&::sd_bus_message_new_method_return) message_new_method_return;
  decltype(&::sd_bus_message_new_signal) message_new_signal;
  decltype(&::sd_bus_message_open_container) message_open_container;
  decltype(&::sd_bus_message_peek_type) message_peek_type;
  decltype(&::sd_bus_message_readv) message_readv;
  decltype(&::sd_bus_message_read_array) message_read_array;
  decltype(&::sd_bus_message_read_basic) message_read_basic;
  decltype(&::sd_bus_message_read_strv) message_read_strv;
  decltype(&::sd_bus_message_set_auto_start) message_set_auto_start;
  decltype(&::sd_bus_message_skip) message_skip;
  decltype(&::sd_bus_message_unref) message_unref;
  decltype(&::sd_bus_open_user) open_user;
  decltype(&::sd_bus_process) process;
  decltype(&::sd_bus_release_name_async) release_name_async;
  decltype(&::sd_bus_reply_method_returnv) reply_method_returnv;
  decltype(&::sd_bus_request_name_async) request_name_async;
  decltype(&::sd_bus_send) send;
  decltype(&::sd_bus_set_method_call_timeout) set_method_call_timeout;
  decltype(&::sd_bus_slot_unref) slot_unref;
  decltype(&::sd_bus_wait) wait;
  // The vtable format this libsystemd understands: each vtable's start element points here.
  const unsigned* object_vtable_format;

  // Opened on the first call, from any thread; null (logged once) when it cannot be opened.
  static const SdBusLibrary* get();
};

// Whether the environment gives the session bus an address to try. Without one, connecting
// to it fails at once, with -ENOMEDIUM.
bool sessionBusAddressGiven();

// A vtable's first element, for vtables built once the library is open.
sd_bus_vtable sdBusVtableStart();

// The one function libvelquarin-sdbus.so exports, by this name, with C linkage.
inline constexpr char kSdBusLibraryEntry[] = "velquarin_sdbus_library";

}  // namespace velquarin::platform
