#include "Integrations/ZqTiming.h"

#include <nlohmann/json.hpp>

#include "Utilities/ZqLog.h"

using velquarin::platform::AppleEventList;
using velquarin::platform::AppleEventManager;
using velquarin::platform::AppleEventReply;

ZqTiming& ZqTiming::start(Block block) {
  static ZqTiming* shared = nullptr;
  if (!shared) {
    shared = new ZqTiming(std::move(block));
    shared->startListening();
  }
  return *shared;
}

void ZqTiming::startListening() {
  ZQ_SYSTEM_LOG("Start listening to Timing events.");
  AppleEventManager::shared().setEventHandler(kEventClass, kEventID,
                                              [this](AppleEventReply& reply) { handle(reply); });
}

void ZqTiming::handle(AppleEventReply& reply) const {
  const auto strings = block_ ? block_() : std::vector<std::string>{};
  AppleEventList list;
  // List positions count from 1; index 0 would append and then 1 would replace the first.
  for (std::size_t i = 0; i < strings.size(); ++i) {
    list.insert(static_cast<std::int64_t>(i) + 1, strings[i]);
  }
  ZQ_SYSTEM_LOG("Received event from Timing - returning list: %@", nlohmann::json(list.items()));
  reply.parameters[velquarin::platform::kKeyDirectObject] = std::move(list);
}
