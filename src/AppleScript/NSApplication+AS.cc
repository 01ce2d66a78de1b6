#include "AppleScript/NSApplication+AS.h"

#include "AppleScript/ZqCurrentState.h"
#include "StatusItem/ZqStatusItemController.h"

std::shared_ptr<ZqASApplication> ZqASApplication::sharedInstance() {
  static auto* application = new std::shared_ptr<ZqASApplication>(  // lives for the process
      std::make_shared<ZqASApplication>());
  return *application;
}

const ZqASOutgoingMessage::Messages& ZqASApplication::outgoingMessages() const {
  return ZqASOutgoingMessage::outgoingMessages();
}

void ZqASApplication::setOutgoingMessages(const ZqASOutgoingMessage::Messages& messages) {
  // Copied before the container changes: `messages` may be the container.
  ZqASOutgoingMessage::Messages copy = messages;
  ZqASOutgoingMessage::outgoingMessages().swap(copy);
}

std::shared_ptr<ZqASOutgoingMessage> ZqASApplication::valueInOutgoingMessagesWithUniqueID(
    std::int64_t id) const {
  for (const auto& message : ZqASOutgoingMessage::outgoingMessages()) {
    if (message && message->id() == id) return message;
  }
  return nullptr;
}

std::optional<std::string> ZqASApplication::currentURL() const {
  return GetCurrentURL();
}

std::optional<std::string> ZqASApplication::currentTitle() const {
  return GetCurrentTitle();
}

std::optional<std::string> ZqASApplication::currentMessageText() const {
  return GetCurrentMessageText();
}

bool ZqASApplication::doNotDisturb() const {
  return ZqStatusItemController::sharedInstance()->doNotDisturbEnabled();
}

void ZqASApplication::setDoNotDisturb(bool value) {
  if (value == doNotDisturb()) return;
  ZqStatusItemController::sharedInstance()->toggleDoNotDisturb(nullptr);
}
