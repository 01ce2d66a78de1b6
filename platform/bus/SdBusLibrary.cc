// The sd_bus_* functions the platform calls, defined here and forwarded through the table
// of libvelquarin-sdbus.so. Declared hidden before anything else sees them: they bind the
// platform's own calls at link time and never interpose on a libsystemd the host loads.
#pragma GCC visibility push(hidden)
#include <systemd/sd-bus.h>
#pragma GCC visibility pop

#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <vector>

#include "bus/SdBusLibrary.h"
#include "runtime/SideLibrary.h"

namespace velquarin::platform {

const SdBusLibrary* SdBusLibrary::get() {
  static const SideLibrary library("libvelquarin-sdbus.so", kSdBusLibraryEntry,
                                   "The session bus is unavailable");
  static const SdBusLibrary* const table = library.table<SdBusLibrary>();
  return table;
}

sd_bus_vtable sdBusVtableStart() {
  sd_bus_vtable start{};
  start.type = _SD_BUS_VTABLE_START;
  start.x.start.element_size = sizeof(sd_bus_vtable);
  start.x.start.features = _SD_BUS_VTABLE_PARAM_NAMES;
  start.x.start.vtable_format_reference = openedTable(SdBusLibrary::get()).object_vtable_format;
  return start;
}

bool sessionBusAddressGiven() {
  // libsystemd tries $DBUS_SESSION_BUS_ADDRESS, else the bus socket in $XDG_RUNTIME_DIR.
  return std::getenv("DBUS_SESSION_BUS_ADDRESS") || std::getenv("XDG_RUNTIME_DIR");
}

}  // namespace velquarin::platform

namespace {

using velquarin::platform::openedTable;
using velquarin::platform::SdBusLibrary;

// Every bus object was made through the table, so a call that has one finds it open.
const SdBusLibrary& sdBus() {
  return openedTable(SdBusLibrary::get());
}

}  // namespace

extern "C" {

// Connecting is where a missing library shows: callers see a bus that cannot be reached.
int sd_bus_open_user(sd_bus** ret) {
  // Without an address libsystemd answers -ENOMEDIUM: the same answer, without loading it.
  if (!velquarin::platform::sessionBusAddressGiven()) return -ENOMEDIUM;
  const SdBusLibrary* table = SdBusLibrary::get();
  return table ? table->open_user(ret) : -ELIBACC;
}

// Releasing what was never made needs no library (clean-up of a failed start).
sd_bus* sd_bus_flush_close_unref(sd_bus* bus) {
  return bus ? sdBus().flush_close_unref(bus) : nullptr;
}

sd_bus_message* sd_bus_message_unref(sd_bus_message* m) {
  return m ? sdBus().message_unref(m) : nullptr;
}

sd_bus_slot* sd_bus_slot_unref(sd_bus_slot* slot) {
  return slot ? sdBus().slot_unref(slot) : nullptr;
}

void sd_bus_error_free(sd_bus_error* e) {
  if (e && (e->name || e->message)) sdBus().error_free(e);
}

int sd_bus_message_append(sd_bus_message* m, const char* types, ...) {
  va_list ap;
  va_start(ap, types);
  const int r = sdBus().message_appendv(m, types, ap);
  va_end(ap);
  return r;
}

int sd_bus_message_read(sd_bus_message* m, const char* types, ...) {
  va_list ap;
  va_start(ap, types);
  const int r = sdBus().message_readv(m, types, ap);
  va_end(ap);
  return r;
}

int sd_bus_reply_method_return(sd_bus_message* call, const char* types, ...) {
  va_list ap;
  va_start(ap, types);
  const int r = sdBus().reply_method_returnv(call, types, ap);
  va_end(ap);
  return r;
}

int sd_bus_emit_signal(sd_bus* bus, const char* path, const char* interface, const char* member,
                       const char* types, ...) {
  va_list ap;
  va_start(ap, types);
  const int r = sdBus().emit_signalv(bus, path, interface, member, types, ap);
  va_end(ap);
  return r;
}

int sd_bus_call_method_async(sd_bus* bus, sd_bus_slot** slot, const char* destination,
                             const char* path, const char* interface, const char* member,
                             sd_bus_message_handler_t callback, void* userdata, const char* types,
                             ...) {
  va_list ap;
  va_start(ap, types);
  const int r = sdBus().call_method_asyncv(bus, slot, destination, path, interface, member,
                                           callback, userdata, types, ap);
  va_end(ap);
  return r;
}

// The interfaces end with a null, as the variadic form wants.
int sd_bus_emit_interfaces_added(sd_bus* bus, const char* path, const char* interface, ...) {
  std::vector<char*> interfaces;
  va_list ap;
  va_start(ap, interface);
  for (const char* name = interface; name; name = va_arg(ap, const char*)) {
    interfaces.push_back(const_cast<char*>(name));
  }
  va_end(ap);
  interfaces.push_back(nullptr);
  return sdBus().emit_interfaces_added_strv(bus, path, interfaces.data());
}

int sd_bus_add_fallback_vtable(sd_bus* bus, sd_bus_slot** slot, const char* prefix,
                               const char* interface, const sd_bus_vtable* vtable,
                               sd_bus_object_find_t find, void* userdata) {
  return sdBus().add_fallback_vtable(bus, slot, prefix, interface, vtable, find, userdata);
}

int sd_bus_add_match_async(sd_bus* bus, sd_bus_slot** slot, const char* match,
                           sd_bus_message_handler_t callback,
                           sd_bus_message_handler_t install_callback, void* userdata) {
  return sdBus().add_match_async(bus, slot, match, callback, install_callback, userdata);
}

int sd_bus_add_node_enumerator(sd_bus* bus, sd_bus_slot** slot, const char* path,
                               sd_bus_node_enumerator_t callback, void* userdata) {
  return sdBus().add_node_enumerator(bus, slot, path, callback, userdata);
}

int sd_bus_add_object_manager(sd_bus* bus, sd_bus_slot** slot, const char* path) {
  return sdBus().add_object_manager(bus, slot, path);
}

int sd_bus_add_object_vtable(sd_bus* bus, sd_bus_slot** slot, const char* path,
                             const char* interface, const sd_bus_vtable* vtable, void* userdata) {
  return sdBus().add_object_vtable(bus, slot, path, interface, vtable, userdata);
}

int sd_bus_call(sd_bus* bus, sd_bus_message* m, uint64_t usec, sd_bus_error* ret_error,
                sd_bus_message** reply) {
  return sdBus().call(bus, m, usec, ret_error, reply);
}

int sd_bus_call_async(sd_bus* bus, sd_bus_slot** slot, sd_bus_message* m,
                      sd_bus_message_handler_t callback, void* userdata, uint64_t usec) {
  return sdBus().call_async(bus, slot, m, callback, userdata, usec);
}

int sd_bus_emit_interfaces_removed_strv(sd_bus* bus, const char* path, char** interfaces) {
  return sdBus().emit_interfaces_removed_strv(bus, path, interfaces);
}

int sd_bus_emit_object_added(sd_bus* bus, const char* path) {
  return sdBus().emit_object_added(bus, path);
}

int sd_bus_emit_properties_changed_strv(sd_bus* bus, const char* path, const char* interface,
                                        char** names) {
  return sdBus().emit_properties_changed_strv(bus, path, interface, names);
}

int sd_bus_error_has_name(const sd_bus_error* e, const char* name) {
  return sdBus().error_has_name(e, name);
}

int sd_bus_error_set(sd_bus_error* e, const char* name, const char* message) {
  return sdBus().error_set(e, name, message);
}

int sd_bus_get_events(sd_bus* bus) {
  return sdBus().get_events(bus);
}

int sd_bus_get_fd(sd_bus* bus) {
  return sdBus().get_fd(bus);
}

int sd_bus_get_timeout(sd_bus* bus, uint64_t* timeout_usec) {
  return sdBus().get_timeout(bus, timeout_usec);
}

int sd_bus_get_unique_name(sd_bus* bus, const char** unique) {
  return sdBus().get_unique_name(bus, unique);
}

int sd_bus_is_ready(sd_bus* bus) {
  return sdBus().is_ready(bus);
}

int sd_bus_match_signal(sd_bus* bus, sd_bus_slot** ret, const char* sender, const char* path,
                        const char* interface, const char* member,
                        sd_bus_message_handler_t callback, void* userdata) {
  return sdBus().match_signal(bus, ret, sender, path, interface, member, callback, userdata);
}

int sd_bus_match_signal_async(sd_bus* bus, sd_bus_slot** ret, const char* sender, const char* path,
                              const char* interface, const char* member,
                              sd_bus_message_handler_t match_callback,
                              sd_bus_message_handler_t add_callback, void* userdata) {
  return sdBus().match_signal_async(bus, ret, sender, path, interface, member, match_callback,
                                    add_callback, userdata);
}

int sd_bus_message_append_array(sd_bus_message* m, char type, const void* ptr, size_t size) {
  return sdBus().message_append_array(m, type, ptr, size);
}

int sd_bus_message_append_basic(sd_bus_message* m, char type, const void* p) {
  return sdBus().message_append_basic(m, type, p);
}

int sd_bus_message_at_end(sd_bus_message* m, int complete) {
  return sdBus().message_at_end(m, complete);
}

int sd_bus_message_close_container(sd_bus_message* m) {
  return sdBus().message_close_container(m);
}

int sd_bus_message_enter_container(sd_bus_message* m, char type, const char* contents) {
  return sdBus().message_enter_container(m, type, contents);
}

int sd_bus_message_exit_container(sd_bus_message* m) {
  return sdBus().message_exit_container(m);
}

int sd_bus_message_get_cookie(sd_bus_message* m, uint64_t* cookie) {
  return sdBus().message_get_cookie(m, cookie);
}

const sd_bus_error* sd_bus_message_get_error(sd_bus_message* m) {
  return sdBus().message_get_error(m);
}

const char* sd_bus_message_get_member(sd_bus_message* m) {
  return sdBus().message_get_member(m);
}

const char* sd_bus_message_get_path(sd_bus_message* m) {
  return sdBus().message_get_path(m);
}

int sd_bus_message_get_reply_cookie(sd_bus_message* m, uint64_t* cookie) {
  return sdBus().message_get_reply_cookie(m, cookie);
}

int sd_bus_message_is_method_error(sd_bus_message* m, const char* name) {
  return sdBus().message_is_method_error(m, name);
}

int sd_bus_message_new_method_call(sd_bus* bus, sd_bus_message** m, const char* destination,
                                   const char* path, const char* interface, const char* member) {
  return sdBus().message_new_method_call(bus, m, destination, path, interface, member);
}

int sd_bus_message_new_method_return(sd_bus_message* call, sd_bus_message** m) {
  return sdBus().message_new_method_return(call, m);
}

int sd_bus_message_new_signal(sd_bus* bus, sd_bus_message** m, const char* path,
                              const char* interface, const char* member) {
  return sdBus().message_new_signal(bus, m, path, interface, member);
}

int sd_bus_message_open_container(sd_bus_message* m, char type, const char* contents) {
  return sdBus().message_open_container(m, type, contents);
}

int sd_bus_message_peek_type(sd_bus_message* m, char* type, const char** contents) {
  return sdBus().message_peek_type(m, type, contents);
}

int sd_bus_message_read_array(sd_bus_message* m, char type, const void** ptr, size_t* size) {
  return sdBus().message_read_array(m, type, ptr, size);
}

int sd_bus_message_read_basic(sd_bus_message* m, char type, void* p) {
  return sdBus().message_read_basic(m, type, p);
}

int sd_bus_message_read_strv(sd_bus_message* m, char*** l) {
  return sdBus().message_read_strv(m, l);
}

int sd_bus_message_set_auto_start(sd_bus_message* m, int b) {
  return sdBus().message_set_auto_start(m, b);
}

int sd_bus_message_skip(sd_bus_message* m, const char* types) {
  return sdBus().message_skip(m, types);
}

int sd_bus_process(sd_bus* bus, sd_bus_message** r) {
  return sdBus().process(bus, r);
}

int sd_bus_release_name_async(sd_bus* bus, sd_bus_slot** ret_slot, const char* name,
                              sd_bus_message_handler_t callback, void* userdata) {
  return sdBus().release_name_async(bus, ret_slot, name, callback, userdata);
}

int sd_bus_request_name_async(sd_bus* bus, sd_bus_slot** ret_slot, const char* name, uint64_t flags,
                              sd_bus_message_handler_t callback, void* userdata) {
  return sdBus().request_name_async(bus, ret_slot, name, flags, callback, userdata);
}

int sd_bus_send(sd_bus* bus, sd_bus_message* m, uint64_t* cookie) {
  return sdBus().send(bus, m, cookie);
}

int sd_bus_set_method_call_timeout(sd_bus* bus, uint64_t usec) {
  return sdBus().set_method_call_timeout(bus, usec);
}

int sd_bus_wait(sd_bus* bus, uint64_t timeout_usec) {
  return sdBus().wait(bus, timeout_usec);
}

}  // extern "C"
