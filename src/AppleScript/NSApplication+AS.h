#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "AppleScript/ZqASOutgoingMessage.h"

// The application object as scripts see it: its outgoing messages, the current page and the
// do-not-disturb mode. Main thread only.
class ZqASApplication : public velquarin::platform::ScriptObject {
 public:
  static std::shared_ptr<ZqASApplication> sharedInstance();
  std::string scriptClass() const override { return "Application"; }

  const ZqASOutgoingMessage::Messages& outgoingMessages() const;
  // Replaces the container's content with `messages` (which may be the container itself).
  void setOutgoingMessages(const ZqASOutgoingMessage::Messages& messages);
  // The first message of the container with this id.
  std::shared_ptr<ZqASOutgoingMessage> valueInOutgoingMessagesWithUniqueID(std::int64_t id) const;

  std::optional<std::string> currentURL() const;
  std::optional<std::string> currentTitle() const;
  std::optional<std::string> currentMessageText() const;
  bool doNotDisturb() const;
  // Asks the status item to switch the mode when `value` differs; the mode changes once the
  // host writes "DoNotDisturb".
  void setDoNotDisturb(bool value);

  ZqASApplication() = default;
};
