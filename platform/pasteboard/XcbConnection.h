#pragma once

#include "x11/X11Library.h"

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace velquarin::platform {

// Replies and events of xcb are malloc'ed; this frees them.
struct XcbFree {
  void operator()(void* pointer) const { std::free(pointer); }
};
template <class T>
using XcbReply = std::unique_ptr<T, XcbFree>;
using XcbEvent = XcbReply<xcb_generic_event_t>;

// One connection to the X server with an unmapped window of its own that hears property
// changes. Requests may come from any thread; events are for the one thread that waits.
class XcbConnection {
 public:
  // Null (with the reason) when the display cannot be reached.
  static std::unique_ptr<XcbConnection> open(const char* display, std::string* why);
  ~XcbConnection();
  XcbConnection(const XcbConnection&) = delete;
  XcbConnection& operator=(const XcbConnection&) = delete;

  xcb_connection_t* get() const { return connection_; }
  xcb_window_t window() const { return window_; }
  bool broken() const { return x11().xcb_connection_has_error(connection_) != 0; }
  // The largest request the server takes, in bytes.
  std::size_t maximumRequestBytes() const;

  xcb_atom_t atom(const std::string& name);
  std::string atomName(xcb_atom_t atom);

  // The next event that `wanted` accepts (others go to `other`, when given), or null when
  // none came before the deadline or the connection broke.
  XcbEvent waitForEvent(const std::function<bool(const xcb_generic_event_t&)>& wanted,
                        std::chrono::steady_clock::time_point deadline,
                        const std::function<void(const xcb_generic_event_t&)>& other = {});
  // Blocks until an event arrives or `timeout` passes; null then.
  XcbEvent nextEvent(std::chrono::milliseconds timeout);

 private:
  explicit XcbConnection(xcb_connection_t* connection, xcb_window_t window);
  xcb_connection_t* connection_;
  xcb_window_t window_;
  std::mutex atomsMutex_;
  std::map<std::string, xcb_atom_t> atoms_;
  std::map<xcb_atom_t, std::string> names_;
};

}  // namespace velquarin::platform
