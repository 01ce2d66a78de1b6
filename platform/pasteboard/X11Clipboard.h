#pragma once

#include <atomic>
#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "pasteboard/DesktopClipboard.h"
#include "pasteboard/XcbConnection.h"

namespace velquarin::platform {

// The X11 CLIPBOARD selection (never PRIMARY). Two connections: the owner side answers other
// applications on a thread of its own from an immutable snapshot (TARGETS, TIMESTAMP, every
// target, INCR for data above the chunk size, several requestors at once), so it never waits
// for the main thread; the reader side asks the current owner synchronously, giving up after
// a second without progress or past the read limit. An owner that is this very process (the
// host framework's, whose thread is the one blocked in the read) is recognised by its client's
// process id (X-Resource) and not asked.
class X11Clipboard final : public DesktopClipboard {
 public:
  static std::shared_ptr<X11Clipboard> open(const char* display, std::string* why);
  ~X11Clipboard() override;

  std::string name() const override { return "x11"; }
  bool connected() const override;
  bool ownsClipboard() const override;
  bool publish(std::shared_ptr<const ClipboardItems> items) override;
  std::optional<std::vector<std::string>> targets() override;
  std::optional<PasteboardBytes> read(const std::string& target) override;

  // Data above this size goes in pieces of this size (INCR).
  std::size_t chunkBytes() const { return chunkBytes_; }

  X11Clipboard(std::unique_ptr<XcbConnection> owner, std::unique_ptr<XcbConnection> reader);

 private:
  struct Transfer;
  struct Served {
    std::shared_ptr<const ClipboardItems> items;
    xcb_timestamp_t time = 0;
  };

  void serve();
  void answerRequest(const xcb_selection_request_event_t& request);
  bool sendData(const xcb_selection_request_event_t& request, xcb_atom_t property,
                const Served& served);
  void continueTransfer(const xcb_property_notify_event_t& event);
  void dropStaleTransfers();

  xcb_window_t ownerWindowOfClipboard() const;
  bool ownerIsThisProcess(xcb_window_t owner);
  std::optional<xcb_timestamp_t> serverTime();
  std::optional<PasteboardBytes> convert(xcb_atom_t target, xcb_atom_t* type);
  std::optional<PasteboardBytes> readIncrementally(xcb_atom_t property);

  std::unique_ptr<XcbConnection> owner_;
  std::unique_ptr<XcbConnection> reader_;
  xcb_atom_t clipboard_;
  std::size_t chunkBytes_;

  mutable std::mutex servedMutex_;
  Served served_;  // empty items: not the owner
  std::map<std::pair<xcb_window_t, xcb_atom_t>, std::unique_ptr<Transfer>> transfers_;

  std::mutex readMutex_;  // one read at a time on the reader connection
  unsigned readCounter_ = 0;
  std::atomic<bool> stopping_{false};
  std::thread thread_;
};

}  // namespace velquarin::platform
