#include "StatusItem/ZqAccountStatusMenuItem.h"

#include "drawing/Graphics.h"
#include "screen/Screen.h"

using velquarin::platform::Color;
using velquarin::platform::Font;
using velquarin::platform::Graphics;
using velquarin::platform::Image;
using velquarin::platform::Rect;
using velquarin::platform::Screen;
using velquarin::platform::Size;

namespace {
constexpr double kBadgeSide = 16;
constexpr double kBadgeTextHeight = 14.5;
constexpr double kBadgeFontSize = 9;
}  // namespace

ZqAccountStatusMenuItem::ZqAccountStatusMenuItem(std::string title, Color color, std::string action,
                                                 std::string keyEquivalent)
    : ZqAccountStatusMenuItem(std::move(title), color, 0, false, std::move(action),
                              std::move(keyEquivalent)) {}

ZqAccountStatusMenuItem::ZqAccountStatusMenuItem(std::string title, Color color,
                                                 std::uint64_t count, bool inError,
                                                 std::string action, std::string keyEquivalent)
    : MenuItem(std::move(title), std::move(action), std::move(keyEquivalent)),
      color_(color),
      count_(count),
      isInError_(inError) {
  updateImage();
}

void ZqAccountStatusMenuItem::setColor(Color color) {
  color_ = color;
  updateImage();
}

void ZqAccountStatusMenuItem::setCount(std::uint64_t count) {
  count_ = count;
  updateImage();
}

void ZqAccountStatusMenuItem::setIsInError(bool inError) {
  isInError_ = inError;
  updateImage();
}

std::string ZqAccountStatusMenuItem::badgeText() const {
  if (isInError_) return "!";
  if (count_ >= 1 && count_ <= 99) return std::to_string(count_);
  return {};  // 0, and 100 or more: the plain circle
}

std::shared_ptr<Image> ZqAccountStatusMenuItem::drawBadge(Color color, const std::string& text) {
  Graphics graphics(Size{kBadgeSide, kBadgeSide}, Screen::backingScaleFactor());
  graphics.fillEllipse(Rect{0, 0, kBadgeSide, kBadgeSide}, color);
  if (!text.empty()) {
    Font font = Font::menuBarFont(kBadgeFontSize);
    font.weight = 1;
    graphics.drawText(text, font, Rect{0, 0, kBadgeSide, kBadgeTextHeight}, Color{1, 1, 1, 1},
                      velquarin::platform::TextAlignment::Center);
  }
  return graphics.image();
}

void ZqAccountStatusMenuItem::updateImage() {
  // The same colour and text draw the same pixels: keep the image already there.
  auto text = badgeText();
  if (image() && drawnText_ == text && drawnColor_.red == color_.red &&
      drawnColor_.green == color_.green && drawnColor_.blue == color_.blue &&
      drawnColor_.alpha == color_.alpha) {
    return;
  }
  ++imageUpdates_;
  setImage(drawBadge(color_, text));
  drawnText_ = std::move(text);
  drawnColor_ = color_;
}
