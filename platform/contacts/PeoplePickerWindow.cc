#include "contacts/PeoplePickerWindow.h"

#include <algorithm>
#include <cmath>
#include <mutex>

#include "drawing/Graphics.h"
#include "windows/WindowRegistry.h"

namespace velquarin::platform {

namespace {

// A rounded push button: the title's width plus the bezel's insets, and its fixed height.
constexpr double kButtonHorizontalPadding = 28;
constexpr double kButtonHeight = 32;

std::mutex currentMutex;
std::weak_ptr<PeoplePickerWindow> currentWindow;

bool plausibleLength(double length) {
  return std::isfinite(length) && length >= 1 && length <= 100000;
}

}  // namespace

Size PushButton::sizeToFit(const std::string& title) {
  Font font;
  font.size = Font::kSystemFontSize;
  const Size text = measureText(title, font);
  return Size{std::ceil(text.width) + kButtonHorizontalPadding, kButtonHeight};
}

PeoplePickerWindow::PeoplePickerWindow(std::string title, Size size, unsigned styleMask)
    : window_(WindowRegistry::shared().create("NSWindow")) {
  window_->title = std::move(title);
  window_->visible = false;
  window_->styleMask = styleMask;
  window_->frame = Rect{0, 0, size.width, size.height};
}

std::shared_ptr<PeoplePickerWindow> PeoplePickerWindow::current() {
  std::lock_guard lock(currentMutex);
  return currentWindow.lock();
}

void PeoplePickerWindow::setCurrent(const std::shared_ptr<PeoplePickerWindow>& window) {
  std::lock_guard lock(currentMutex);
  currentWindow = window;
}

void PeoplePickerWindow::setPickerFrame(Rect frame) {
  pickerFrame_ = frame;
  const Rect content = window_->frame;
  pickerMargins_ = Margins{frame.x, content.width - frame.x - frame.width,
                           content.height - frame.y - frame.height, frame.y};
}

void PeoplePickerWindow::addButton(PushButton button) {
  const double width = window_->frame.width;
  buttonEdgeDistances_.push_back(button.anchor == PushButton::Anchor::Left
                                     ? button.frame.x
                                     : width - button.frame.x - button.frame.width);
  buttons_.push_back(std::move(button));
}

bool PeoplePickerWindow::setContentSize(Size size) {
  if (!plausibleLength(size.width) || !plausibleLength(size.height)) return false;
  window_->frame.width = size.width;
  window_->frame.height = size.height;
  pickerFrame_ = Rect{pickerMargins_.left, pickerMargins_.bottom,
                      std::max(0.0, size.width - pickerMargins_.left - pickerMargins_.right),
                      std::max(0.0, size.height - pickerMargins_.top - pickerMargins_.bottom)};
  for (std::size_t i = 0; i < buttons_.size(); ++i) {
    Rect& frame = buttons_[i].frame;
    frame.x = buttons_[i].anchor == PushButton::Anchor::Left
                  ? buttonEdgeDistances_[i]
                  : size.width - buttonEdgeDistances_[i] - frame.width;
  }
  return true;
}

bool PeoplePickerWindow::performKeyEquivalent(const std::string& key) {
  if (!window_->visible || key.empty()) return false;
  for (std::size_t i = 0; i < buttons_.size(); ++i) {
    if (buttons_[i].keyEquivalent == key) return pressButton(i);
  }
  return false;
}

bool PeoplePickerWindow::pressButton(std::size_t index) {
  if (index >= buttons_.size() || !window_->visible) return false;
  // The action may rebuild the window's owner; run a copy.
  const auto action = buttons_[index].action;
  if (action) action();
  return true;
}

bool PeoplePickerWindow::performClose() {
  if (!window_->visible) return false;
  const auto action = closeAction;
  if (action) action();
  return true;
}

}  // namespace velquarin::platform
