#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "images/Image.h"
#include "images/ImageTypes.h"
#include "menus/MenuItem.h"

// One account's line in the status menu: its colour as a round badge carrying the unread
// count (1 to 99) or "!" while the account is in error.
class ZqAccountStatusMenuItem : public velquarin::platform::MenuItem {
 public:
  ZqAccountStatusMenuItem(std::string title, velquarin::platform::Color color, std::string action,
                          std::string keyEquivalent);
  // With its badge state known up front, so the badge is drawn once.
  ZqAccountStatusMenuItem(std::string title, velquarin::platform::Color color, std::uint64_t count,
                          bool inError, std::string action, std::string keyEquivalent);

  velquarin::platform::Color color() const { return color_; }
  void setColor(velquarin::platform::Color color);
  std::uint64_t count() const { return count_; }
  void setCount(std::uint64_t count);
  bool isInError() const { return isInError_; }
  void setIsInError(bool inError);

  // The badge text for the current state: "!", "1" to "99", or empty for none.
  std::string badgeText() const;
  // How many times the image was drawn (a setter that leaves the badge as it was does not
  // draw it again).
  unsigned long imageUpdates() const { return imageUpdates_; }

  // The 16 x 16 point badge for a colour and a badge text.
  static std::shared_ptr<velquarin::platform::Image> drawBadge(velquarin::platform::Color color,
                                                               const std::string& text);

 private:
  void updateImage();

  velquarin::platform::Color color_;
  std::uint64_t count_ = 0;
  bool isInError_ = false;
  unsigned long imageUpdates_ = 0;
  std::string drawnText_;
  velquarin::platform::Color drawnColor_;
};
