#pragma once

#include <functional>
#include <string>
#include <vector>

#include "scripting/AppleEvents.h"

// Answers the time-tracking application's event ('Tmng'/'Gpat') with a list of strings that
// the block gives. One per process.
class ZqTiming {
 public:
  using Block = std::function<std::vector<std::string>()>;

  static constexpr velquarin::platform::FourCharCode kEventClass = 0x546D6E67;  // 'Tmng'
  static constexpr velquarin::platform::FourCharCode kEventID = 0x47706174;     // 'Gpat'

  // Main thread. The first call makes the instance with the block and starts listening;
  // later calls return it and drop their block.
  static ZqTiming& start(Block block);

  void handle(velquarin::platform::AppleEventReply& reply) const;

 private:
  explicit ZqTiming(Block block) : block_(std::move(block)) {}
  void startListening();

  Block block_;
};
