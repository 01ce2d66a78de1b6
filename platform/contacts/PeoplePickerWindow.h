#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "contacts/PeoplePicker.h"
#include "images/ImageTypes.h"
#include "windows/Window.h"

namespace velquarin::platform {

// A push button in a window's content area.
struct PushButton {
  // The edges it keeps its distance to when the window is resized (besides the bottom).
  enum class Anchor { Left, Right };

  std::string title;
  Rect frame;  // in the content area, origin at its lower-left corner
  Anchor anchor = Anchor::Left;
  std::string keyEquivalent;  // the key that presses it while its window is key
  std::function<void()> action;

  // The width and height a rounded push button takes to show `title` in the system font.
  static Size sizeToFit(const std::string& title);
};

// A window holding a people picker and push buttons along its bottom. The picker keeps its
// margins to every edge when the window is resized, the buttons their distances to the
// bottom and to their anchored edge.
class PeoplePickerWindow {
 public:
  // A window of the registry (hidden until ordered front), with a content area of `size`.
  PeoplePickerWindow(std::string title, Size size, unsigned styleMask);
  PeoplePickerWindow(const PeoplePickerWindow&) = delete;
  PeoplePickerWindow& operator=(const PeoplePickerWindow&) = delete;

  // The picker window made last that is still alive; null when there is none.
  static std::shared_ptr<PeoplePickerWindow> current();
  static void setCurrent(const std::shared_ptr<PeoplePickerWindow>& window);

  const std::shared_ptr<Window>& window() const { return window_; }
  PeoplePicker& picker() { return picker_; }
  const PeoplePicker& picker() const { return picker_; }
  Rect pickerFrame() const { return pickerFrame_; }
  const std::vector<PushButton>& buttons() const { return buttons_; }

  // Places the picker; its margins to the content edges are kept from now on.
  void setPickerFrame(Rect frame);
  void addButton(PushButton button);
  // Resizes the content area (from 1 to 100000 points each way); false when out of range.
  bool setContentSize(Size size);

  // Presses the button whose key equivalent is `key`, when the window is shown; false when
  // no button takes the key.
  bool performKeyEquivalent(const std::string& key);
  bool pressButton(std::size_t index);
  // The title bar's close button: runs the close action (the window itself stays).
  bool performClose();
  std::function<void()> closeAction;

 private:
  struct Margins {
    double left, right, top, bottom;
  };

  std::shared_ptr<Window> window_;
  PeoplePicker picker_;
  Rect pickerFrame_;
  Margins pickerMargins_{};
  std::vector<PushButton> buttons_;
  std::vector<double> buttonEdgeDistances_;  // to the anchored edge, parallel to buttons_
};

}  // namespace velquarin::platform
