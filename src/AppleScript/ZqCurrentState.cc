#include "AppleScript/ZqCurrentState.h"

ZqCurrentState& ZqCurrentState::sharedInstance() {
  static ZqCurrentState* state = new ZqCurrentState();  // lives as long as the process
  return *state;
}

void ZqCurrentState::set(std::optional<std::string> url, std::optional<std::string> webURL,
                         std::optional<std::string> title) {
  url_ = std::move(url);
  webURL_ = std::move(webURL);
  title_ = std::move(title);
}

std::optional<std::string> ZqCurrentState::messageText() const {
  // A copy: the host may replace the source while it answers.
  const MessageTextSource source = messageTextSource_;
  return source ? source() : std::nullopt;
}

std::optional<std::string> GetCurrentURL() {
  return ZqCurrentState::sharedInstance().url();
}

std::optional<std::string> GetCurrentWebURL() {
  return ZqCurrentState::sharedInstance().webURL();
}

std::optional<std::string> GetCurrentTitle() {
  return ZqCurrentState::sharedInstance().title();
}

std::optional<std::string> GetCurrentMessageText() {
  return ZqCurrentState::sharedInstance().messageText();
}
