#include "pasteboard/XcbConnection.h"

#include <poll.h>

#include <algorithm>

namespace velquarin::platform {

std::unique_ptr<XcbConnection> XcbConnection::open(const char* display, std::string* why) {
  if (!X11Library::get()) {
    if (why) *why = "the X11 library could not be loaded";
    return nullptr;
  }
  int screenNumber = 0;
  xcb_connection_t* connection = x11().xcb_connect(display, &screenNumber);
  if (x11().xcb_connection_has_error(connection)) {
    x11().xcb_disconnect(connection);
    if (why) *why = std::string("cannot connect to display ") + (display ? display : "(unset)");
    return nullptr;
  }
  auto screens = x11().xcb_setup_roots_iterator(x11().xcb_get_setup(connection));
  for (int i = 0; i < screenNumber && screens.rem; ++i) x11().xcb_screen_next(&screens);
  if (!screens.rem) {
    x11().xcb_disconnect(connection);
    if (why) *why = "the display has no such screen";
    return nullptr;
  }
  const xcb_window_t window = x11().xcb_generate_id(connection);
  const uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
  x11().xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, screens.data->root, 0, 0, 1, 1,
                          0, XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK,
                          &events);
  x11().xcb_prefetch_maximum_request_length(connection);
  x11().xcb_flush(connection);
  return std::unique_ptr<XcbConnection>(new XcbConnection(connection, window));
}

XcbConnection::XcbConnection(xcb_connection_t* connection, xcb_window_t window)
    : connection_(connection), window_(window) {}

XcbConnection::~XcbConnection() {
  x11().xcb_disconnect(connection_);
}

std::size_t XcbConnection::maximumRequestBytes() const {
  return std::size_t{x11().xcb_get_maximum_request_length(connection_)} * 4;
}

xcb_atom_t XcbConnection::atom(const std::string& name) {
  {
    std::lock_guard lock(atomsMutex_);
    auto found = atoms_.find(name);
    if (found != atoms_.end()) return found->second;
  }
  auto cookie =
      x11().xcb_intern_atom(connection_, 0, static_cast<uint16_t>(name.size()), name.data());
  XcbReply<xcb_intern_atom_reply_t> reply(
      x11().xcb_intern_atom_reply(connection_, cookie, nullptr));
  if (!reply) return XCB_ATOM_NONE;
  std::lock_guard lock(atomsMutex_);
  atoms_[name] = reply->atom;
  names_[reply->atom] = name;
  return reply->atom;
}

std::string XcbConnection::atomName(xcb_atom_t atom) {
  {
    std::lock_guard lock(atomsMutex_);
    auto found = names_.find(atom);
    if (found != names_.end()) return found->second;
  }
  XcbReply<xcb_get_atom_name_reply_t> reply(x11().xcb_get_atom_name_reply(
      connection_, x11().xcb_get_atom_name(connection_, atom), nullptr));
  if (!reply) return {};
  std::string name(x11().xcb_get_atom_name_name(reply.get()),
                   static_cast<std::size_t>(x11().xcb_get_atom_name_name_length(reply.get())));
  std::lock_guard lock(atomsMutex_);
  names_[atom] = name;
  atoms_[name] = atom;
  return name;
}

XcbEvent XcbConnection::nextEvent(std::chrono::milliseconds timeout) {
  if (XcbEvent event{x11().xcb_poll_for_event(connection_)}) return event;
  if (broken()) return nullptr;
  pollfd fd{x11().xcb_get_file_descriptor(connection_), POLLIN, 0};
  if (::poll(&fd, 1, static_cast<int>(std::max<long long>(0, timeout.count()))) <= 0) {
    return nullptr;
  }
  return XcbEvent{x11().xcb_poll_for_event(connection_)};
}

XcbEvent XcbConnection::waitForEvent(const std::function<bool(const xcb_generic_event_t&)>& wanted,
                                     std::chrono::steady_clock::time_point deadline,
                                     const std::function<void(const xcb_generic_event_t&)>& other) {
  x11().xcb_flush(connection_);
  while (!broken()) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() < 0) return nullptr;
    auto event = nextEvent(left);
    if (!event) continue;
    if (wanted(*event)) return event;
    if (other) other(*event);
  }
  return nullptr;
}

}  // namespace velquarin::platform
