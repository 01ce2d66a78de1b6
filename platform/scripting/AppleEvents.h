#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velquarin::platform {

// Events other applications send this one, named by a class and an ID code.
using FourCharCode = std::uint32_t;

// The code the four characters spell, first character in the highest byte ("Tmng" is
// 0x546D6E67); nullopt unless the text is exactly four bytes.
std::optional<FourCharCode> fourCharCode(std::string_view text);
std::string fourCharText(FourCharCode code);

inline constexpr FourCharCode kKeyDirectObject = 0x2D2D2D2D;  // '----'

// A list of strings in an event's reply, with the desktop's insertion rule: index 0 or
// count + 1 appends, 1 to count replaces that element, anything else is refused.
class AppleEventList {
 public:
  bool insert(std::int64_t index, std::string text);
  const std::vector<std::string>& items() const { return items_; }

 private:
  std::vector<std::string> items_;
};

struct AppleEventReply {
  std::map<FourCharCode, AppleEventList> parameters;
};

// Handlers of events by class and ID, as the application registers them. Events arrive on
// the main thread: from the platform binding, and from other processes on the application's
// bus object (io.velquarin.AppleEvents1, Send(uu) -> as: the reply's direct-object list;
// an event nobody handles fails with io.velquarin.AppleEvents1.Error.NotHandled).
class AppleEventManager {
 public:
  using Handler = std::function<void(AppleEventReply& reply)>;

  static AppleEventManager& shared();

  // Main thread. Replaces the handler of that event; the first one offers the bus interface.
  void setEventHandler(FourCharCode eventClass, FourCharCode eventID, Handler handler);
  // Main thread. The reply, or nullopt when no handler is registered for the event.
  std::optional<AppleEventReply> dispatch(FourCharCode eventClass, FourCharCode eventID);

 private:
  AppleEventManager() = default;
  std::map<std::pair<FourCharCode, FourCharCode>, Handler> handlers_;
  bool published_ = false;
};

}  // namespace velquarin::platform
