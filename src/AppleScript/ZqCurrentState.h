#pragma once

#include <functional>
#include <optional>
#include <string>

// The page on screen as the host last reported it, and the host's answer, on demand, for the
// text of the open message. Read by scripts, the title-bar drag and clipping. Main thread.
class ZqCurrentState {
 public:
  using MessageTextSource = std::function<std::optional<std::string>()>;

  static ZqCurrentState& sharedInstance();

  // Replaces all three; a missing one becomes absent.
  void set(std::optional<std::string> url, std::optional<std::string> webURL,
           std::optional<std::string> title);
  const std::optional<std::string>& url() const { return url_; }
  const std::optional<std::string>& webURL() const { return webURL_; }
  const std::optional<std::string>& title() const { return title_; }

  // Where the message text comes from: the host's current-state callback.
  void setMessageTextSource(MessageTextSource source) { messageTextSource_ = std::move(source); }
  std::optional<std::string> messageText() const;

 private:
  ZqCurrentState() = default;
  std::optional<std::string> url_;
  std::optional<std::string> webURL_;
  std::optional<std::string> title_;
  MessageTextSource messageTextSource_;
};

std::optional<std::string> GetCurrentURL();
std::optional<std::string> GetCurrentWebURL();
std::optional<std::string> GetCurrentTitle();
// Asks the host (synchronously, through its current-state callback) each time; absent when
// no callback is set, when it answers null or undefined, or when it throws.
std::optional<std::string> GetCurrentMessageText();
