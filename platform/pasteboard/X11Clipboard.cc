#include "pasteboard/X11Clipboard.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "pasteboard/ClipboardConversion.h"
#include "pasteboard/Pasteboard.h"
#include "x11/X11Library.h"

namespace velquarin::platform {
namespace {

using Clock = std::chrono::steady_clock;

// Another application gets this long without progress before a read gives up.
constexpr auto kReadPatience = std::chrono::seconds(1);
// A requestor that takes no piece of an incremental transfer for this long is dropped.
constexpr auto kTransferPatience = std::chrono::seconds(10);
constexpr std::size_t kLargestChunk = 256u << 10;
// Properties are read in pieces of this many 32-bit units.
constexpr uint32_t kPropertyPieceUnits = 1u << 20;

uint8_t eventType(const xcb_generic_event_t& event) {
  return event.response_type & 0x7F;
}

}  // namespace

struct X11Clipboard::Transfer {
  std::shared_ptr<const PasteboardBytes> data;
  xcb_atom_t type = XCB_ATOM_NONE;
  std::size_t offset = 0;
  Clock::time_point lastProgress;
};

std::shared_ptr<X11Clipboard> X11Clipboard::open(const char* display, std::string* why) {
  auto owner = XcbConnection::open(display, why);
  if (!owner) return nullptr;
  auto reader = XcbConnection::open(display, why);
  if (!reader) return nullptr;
  return std::make_shared<X11Clipboard>(std::move(owner), std::move(reader));
}

X11Clipboard::X11Clipboard(std::unique_ptr<XcbConnection> owner,
                           std::unique_ptr<XcbConnection> reader)
    : owner_(std::move(owner)),
      reader_(std::move(reader)),
      clipboard_(owner_->atom("CLIPBOARD")),
      chunkBytes_(std::min(kLargestChunk, owner_->maximumRequestBytes() - 4096)),
      thread_([this] { serve(); }) {}

X11Clipboard::~X11Clipboard() {
  stopping_ = true;
  if (thread_.joinable()) thread_.join();
}

bool X11Clipboard::connected() const {
  return !owner_->broken() && !reader_->broken();
}

// ---- The owner side, on its own thread ----

void X11Clipboard::serve() {
  while (!stopping_ && !owner_->broken()) {
    auto event = owner_->nextEvent(std::chrono::milliseconds(200));
    dropStaleTransfers();
    if (!event) continue;
    switch (eventType(*event)) {
      case XCB_SELECTION_REQUEST:
        answerRequest(*reinterpret_cast<xcb_selection_request_event_t*>(event.get()));
        break;
      case XCB_SELECTION_CLEAR: {
        const auto& clear = *reinterpret_cast<xcb_selection_clear_event_t*>(event.get());
        std::lock_guard lock(servedMutex_);
        // A loss older than the latest publish is already over.
        if (clear.selection == clipboard_ && clear.time >= served_.time) served_ = {};
        break;
      }
      case XCB_PROPERTY_NOTIFY:
        continueTransfer(*reinterpret_cast<xcb_property_notify_event_t*>(event.get()));
        break;
      default:
        break;
    }
    x11().xcb_flush(owner_->get());
  }
}

void X11Clipboard::answerRequest(const xcb_selection_request_event_t& request) {
  Served served;
  {
    std::lock_guard lock(servedMutex_);
    served = served_;
  }
  // Obsolete requestors name no property: the target's name stands for it.
  const xcb_atom_t property =
      request.property == xcb_atom_t{XCB_ATOM_NONE} ? request.target : request.property;
  const bool current = request.time == XCB_CURRENT_TIME || request.time >= served.time;
  const bool answered = request.selection == clipboard_ && served.items && current &&
                        sendData(request, property, served);

  xcb_selection_notify_event_t notify{};
  notify.response_type = XCB_SELECTION_NOTIFY;
  notify.time = request.time;
  notify.requestor = request.requestor;
  notify.selection = request.selection;
  notify.target = request.target;
  notify.property = answered ? property : xcb_atom_t{XCB_ATOM_NONE};
  x11().xcb_send_event(owner_->get(), 0, request.requestor, XCB_EVENT_MASK_NO_EVENT,
                       reinterpret_cast<const char*>(&notify));
}

bool X11Clipboard::sendData(const xcb_selection_request_event_t& request, xcb_atom_t property,
                            const Served& served) {
  auto* connection = owner_->get();
  const auto target = owner_->atomName(request.target);
  if (target == "TARGETS") {
    std::vector<xcb_atom_t> atoms{owner_->atom("TARGETS"), owner_->atom("TIMESTAMP")};
    for (const auto& name : clipboardTargetsOf(*served.items)) atoms.push_back(owner_->atom(name));
    x11().xcb_change_property(connection, XCB_PROP_MODE_REPLACE, request.requestor, property,
                              XCB_ATOM_ATOM, 32, static_cast<uint32_t>(atoms.size()), atoms.data());
    return true;
  }
  if (target == "TIMESTAMP") {
    x11().xcb_change_property(connection, XCB_PROP_MODE_REPLACE, request.requestor, property,
                              XCB_ATOM_INTEGER, 32, 1, &served.time);
    return true;
  }
  auto data = clipboardDataForTarget(*served.items, target);
  if (!data) return false;
  const xcb_atom_t type = target == "TEXT" ? owner_->atom("UTF8_STRING") : request.target;
  if (data->size() <= chunkBytes_) {
    x11().xcb_change_property(connection, XCB_PROP_MODE_REPLACE, request.requestor, property, type,
                              8, static_cast<uint32_t>(data->size()), data->data());
    return true;
  }
  if (data->size() > UINT32_MAX) return false;
  // Incremental: announce the size, then one piece each time the requestor deletes the last.
  const uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
  x11().xcb_change_window_attributes(connection, request.requestor, XCB_CW_EVENT_MASK, &events);
  const auto size = static_cast<uint32_t>(data->size());
  x11().xcb_change_property(connection, XCB_PROP_MODE_REPLACE, request.requestor, property,
                            owner_->atom("INCR"), 32, 1, &size);
  auto transfer = std::make_unique<Transfer>();
  transfer->data = std::make_shared<const PasteboardBytes>(std::move(*data));
  transfer->type = type;
  transfer->lastProgress = Clock::now();
  transfers_[{request.requestor, property}] = std::move(transfer);
  return true;
}

void X11Clipboard::continueTransfer(const xcb_property_notify_event_t& event) {
  if (event.state != XCB_PROPERTY_DELETE) return;
  auto found = transfers_.find({event.window, event.atom});
  if (found == transfers_.end()) return;
  auto& transfer = *found->second;
  const auto piece = std::min(chunkBytes_, transfer.data->size() - transfer.offset);
  x11().xcb_change_property(owner_->get(), XCB_PROP_MODE_REPLACE, event.window, event.atom,
                            transfer.type, 8, static_cast<uint32_t>(piece),
                            transfer.data->data() + transfer.offset);
  transfer.offset += piece;
  transfer.lastProgress = Clock::now();
  if (piece == 0) transfers_.erase(found);  // the empty piece ends it
}

void X11Clipboard::dropStaleTransfers() {
  const auto now = Clock::now();
  std::erase_if(transfers_, [&](const auto& entry) {
    return now - entry.second->lastProgress > kTransferPatience;
  });
}

// ---- Publishing and reading, on the caller's thread ----

xcb_window_t X11Clipboard::ownerWindowOfClipboard() const {
  auto* connection = reader_->get();
  XcbReply<xcb_get_selection_owner_reply_t> reply(x11().xcb_get_selection_owner_reply(
      connection, x11().xcb_get_selection_owner(connection, clipboard_), nullptr));
  return reply ? reply->owner : xcb_window_t{XCB_WINDOW_NONE};
}

bool X11Clipboard::ownsClipboard() const {
  {
    std::lock_guard lock(servedMutex_);
    if (!served_.items) return false;
  }
  return ownerWindowOfClipboard() == owner_->window();
}

bool X11Clipboard::ownerIsThisProcess(xcb_window_t owner) {
  auto* connection = reader_->get();
  xcb_res_client_id_spec_t clientQuery{owner, XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID};
  XcbReply<xcb_res_query_client_ids_reply_t> reply(x11().xcb_res_query_client_ids_reply(
      connection, x11().xcb_res_query_client_ids(connection, 1, &clientQuery), nullptr));
  if (!reply) return false;
  for (auto ids = x11().xcb_res_query_client_ids_ids_iterator(reply.get()); ids.rem;
       x11().xcb_res_client_id_value_next(&ids)) {
    const auto& [client, byteLength] = *ids.data;
    if ((client.mask & XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID) &&
        x11().xcb_res_client_id_value_value_length(ids.data) == 1) {
      return *x11().xcb_res_client_id_value_value(ids.data) == static_cast<uint32_t>(::getpid());
    }
  }
  return false;
}

// A server timestamp: the time of an empty change to a property of our own.
std::optional<xcb_timestamp_t> X11Clipboard::serverTime() {
  const xcb_atom_t property = reader_->atom("VELQUARIN_TIMESTAMP");
  x11().xcb_change_property(reader_->get(), XCB_PROP_MODE_APPEND, reader_->window(), property,
                            XCB_ATOM_STRING, 8, 0, "");
  const xcb_window_t window = reader_->window();
  auto event = reader_->waitForEvent(
      [&](const xcb_generic_event_t& each) {
        if (eventType(each) != XCB_PROPERTY_NOTIFY) return false;
        const auto& notify = reinterpret_cast<const xcb_property_notify_event_t&>(each);
        return notify.window == window && notify.atom == property;
      },
      Clock::now() + kReadPatience);
  if (!event) return std::nullopt;
  return reinterpret_cast<xcb_property_notify_event_t*>(event.get())->time;
}

bool X11Clipboard::publish(std::shared_ptr<const ClipboardItems> items) {
  if (!connected()) return false;
  std::lock_guard readLock(readMutex_);
  const auto time = serverTime();
  if (!time) return false;
  {
    std::lock_guard lock(servedMutex_);
    served_ = {std::move(items), *time};
  }
  auto* connection = owner_->get();
  x11().xcb_set_selection_owner(connection, owner_->window(), clipboard_, *time);
  XcbReply<xcb_get_selection_owner_reply_t> reply(x11().xcb_get_selection_owner_reply(
      connection, x11().xcb_get_selection_owner(connection, clipboard_), nullptr));
  if (reply && reply->owner == owner_->window()) return true;
  std::lock_guard lock(servedMutex_);
  served_ = {};
  return false;
}

std::optional<std::vector<std::string>> X11Clipboard::targets() {
  std::lock_guard readLock(readMutex_);
  const auto owner = ownerWindowOfClipboard();
  if (owner == XCB_WINDOW_NONE)
    return connected() ? std::make_optional<std::vector<std::string>>() : std::nullopt;
  if (owner != owner_->window() && ownerIsThisProcess(owner)) return std::nullopt;
  xcb_atom_t type = XCB_ATOM_NONE;
  auto data = convert(reader_->atom("TARGETS"), &type);
  if (!data || data->size() % 4 != 0) return std::nullopt;
  std::vector<xcb_atom_t> atoms(data->size() / 4);
  std::memcpy(atoms.data(), data->data(), data->size());
  std::vector<std::string> names;
  for (auto atom : atoms) {
    auto name = reader_->atomName(atom);
    if (!name.empty()) names.push_back(std::move(name));
  }
  return names;
}

std::optional<PasteboardBytes> X11Clipboard::read(const std::string& target) {
  std::lock_guard readLock(readMutex_);
  const auto owner = ownerWindowOfClipboard();
  if (owner == XCB_WINDOW_NONE) return std::nullopt;
  if (owner != owner_->window() && ownerIsThisProcess(owner)) return std::nullopt;
  xcb_atom_t type = XCB_ATOM_NONE;
  return convert(reader_->atom(target), &type);
}

namespace {

struct PropertyValue {
  xcb_atom_t type = XCB_ATOM_NONE;
  PasteboardBytes bytes;
};

// The whole value of a property, then deleted; nullopt when it failed or exceeds `limit`.
std::optional<PropertyValue> takeProperty(XcbConnection& reader, xcb_atom_t property,
                                          std::size_t limit) {
  auto* connection = reader.get();
  PropertyValue value;
  uint32_t offset = 0;
  for (;;) {
    XcbReply<xcb_get_property_reply_t> reply(x11().xcb_get_property_reply(
        connection,
        x11().xcb_get_property(connection, 0, reader.window(), property, XCB_GET_PROPERTY_TYPE_ANY,
                               offset, kPropertyPieceUnits),
        nullptr));
    if (!reply) return std::nullopt;
    const auto length = static_cast<std::size_t>(x11().xcb_get_property_value_length(reply.get()));
    if (value.bytes.size() + length + reply->bytes_after > limit) {
      x11().xcb_delete_property(connection, reader.window(), property);
      return std::nullopt;
    }
    const auto* start = static_cast<const uint8_t*>(x11().xcb_get_property_value(reply.get()));
    value.bytes.insert(value.bytes.end(), start, start + length);
    value.type = reply->type;
    if (reply->bytes_after == 0) break;
    offset += static_cast<uint32_t>(length / 4);
  }
  x11().xcb_delete_property(connection, reader.window(), property);
  x11().xcb_flush(connection);
  return value;
}

}  // namespace

std::optional<PasteboardBytes> X11Clipboard::convert(xcb_atom_t target, xcb_atom_t* type) {
  auto* connection = reader_->get();
  const xcb_window_t window = reader_->window();
  // A few properties in turn, so pieces still arriving for an abandoned read go elsewhere.
  const xcb_atom_t property =
      reader_->atom("VELQUARIN_SELECTION_" + std::to_string(readCounter_++ % 4));
  x11().xcb_delete_property(connection, window, property);
  x11().xcb_convert_selection(connection, window, clipboard_, target, property, XCB_CURRENT_TIME);
  auto event = reader_->waitForEvent(
      [&](const xcb_generic_event_t& each) {
        if (eventType(each) != XCB_SELECTION_NOTIFY) return false;
        const auto& notify = reinterpret_cast<const xcb_selection_notify_event_t&>(each);
        return notify.requestor == window && notify.selection == clipboard_ &&
               notify.target == target;
      },
      Clock::now() + kReadPatience);
  if (!event) return std::nullopt;
  if (reinterpret_cast<xcb_selection_notify_event_t*>(event.get())->property == XCB_ATOM_NONE) {
    return std::nullopt;
  }
  auto value = takeProperty(*reader_, property, Pasteboard::readLimit());
  if (!value) return std::nullopt;
  if (value->type == reader_->atom("INCR")) return readIncrementally(property);
  *type = value->type;
  return std::move(value->bytes);
}

std::optional<PasteboardBytes> X11Clipboard::readIncrementally(xcb_atom_t property) {
  const xcb_window_t window = reader_->window();
  const auto limit = Pasteboard::readLimit();
  PasteboardBytes bytes;
  for (;;) {
    auto event = reader_->waitForEvent(
        [&](const xcb_generic_event_t& each) {
          if (eventType(each) != XCB_PROPERTY_NOTIFY) return false;
          const auto& notify = reinterpret_cast<const xcb_property_notify_event_t&>(each);
          return notify.window == window && notify.atom == property &&
                 notify.state == XCB_PROPERTY_NEW_VALUE;
        },
        Clock::now() + kReadPatience);
    if (!event) return std::nullopt;
    if (bytes.size() > limit) return std::nullopt;
    auto piece = takeProperty(*reader_, property, limit - bytes.size());
    if (!piece) return std::nullopt;
    if (piece->bytes.empty()) return bytes;
    bytes.insert(bytes.end(), piece->bytes.begin(), piece->bytes.end());
  }
}

std::shared_ptr<DesktopClipboard> openDesktopClipboard(std::string* why) {
  const char* display = std::getenv("DISPLAY");
  if (!display || !*display) {
    if (why) *why = "DISPLAY is not set";
    return nullptr;
  }
  return X11Clipboard::open(display, why);
}

}  // namespace velquarin::platform
