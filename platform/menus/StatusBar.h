#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "images/Image.h"
#include "menus/Menu.h"

namespace velquarin::platform {

class StatusBar;

// One item of the menu bar's status area: an image and a title side by side, `length`
// points wide, with a menu that opens when the item is clicked.
class StatusItem {
 public:
  StatusItem(StatusBar* bar, double length) : bar_(bar), length_(length) {}

  double length() const { return length_; }
  void setLength(double length);
  const std::optional<std::string>& title() const { return title_; }
  void setTitle(std::optional<std::string> title) {
    title_ = std::move(title);
    changed();
  }
  // A template image shows only its shape, in the menu bar's text colour.
  const std::shared_ptr<Image>& image() const { return image_; }
  bool imageIsTemplate() const { return imageIsTemplate_; }
  void setImage(std::shared_ptr<Image> image, bool isTemplate) {
    image_ = std::move(image);
    imageIsTemplate_ = isTemplate;
    changed();
  }
  const std::shared_ptr<Menu>& menu() const { return menu_; }
  void setMenu(std::shared_ptr<Menu> menu) {
    menu_ = std::move(menu);
    changed();
  }
  // The item asks for the user's attention (an error to look at); panels that show status
  // mark it.
  bool needsAttention() const { return needsAttention_; }
  void setNeedsAttention(bool on) {
    needsAttention_ = on;
    changed();
  }
  // With highlight mode on, the item is drawn highlighted while its menu is open.
  bool highlightMode() const { return highlightMode_; }
  void setHighlightMode(bool on) { highlightMode_ = on; }
  bool isHighlighted() const;

  // Still in the status bar.
  bool isVisible() const { return bar_ != nullptr; }

 private:
  friend class StatusBar;
  void changed();

  StatusBar* bar_;
  double length_;
  std::optional<std::string> title_;
  std::shared_ptr<Image> image_;
  bool imageIsTemplate_ = false;
  std::shared_ptr<Menu> menu_;
  bool highlightMode_ = false;
  bool needsAttention_ = false;
};

// The status area of the menu bar, and what the desktop does with it: open an item's menu,
// pick an entry, close it. Main thread only.
class StatusBar {
 public:
  static StatusBar& system();
  static constexpr double kThickness = 22;

  std::shared_ptr<StatusItem> statusItemWithLength(double length);
  // Takes the item out of the bar (closing its menu when open); it stays a valid object.
  void removeStatusItem(const std::shared_ptr<StatusItem>& item);
  const std::vector<std::shared_ptr<StatusItem>>& items() const { return items_; }

  // Clicks the item: its menu is updated (the delegate fills it) and shown. False when the
  // item is not in the bar, has no menu, a menu is opening already, or the item left the
  // bar while its menu was being filled.
  bool openMenu(const std::shared_ptr<StatusItem>& item);
  // The item whose menu is open, and that menu (null when none).
  std::shared_ptr<StatusItem> openItem() const { return openItem_; }
  std::shared_ptr<Menu> openMenu() const { return openMenu_; }
  // Picks an entry of the open menu by its path (indexes into submenus): the menu closes,
  // then the action is sent. False when there is no such enabled entry with an action.
  bool chooseItem(const std::vector<std::size_t>& path);
  // Dismisses the open menu, if any.
  void closeMenu();

  // The status area and the open menu as a person would see them.
  std::shared_ptr<Image> render(double scale = 1) const;

  // Called after an item is added or removed and after an item's look, title or menu is
  // set (the desktop's own tray mirrors the bar this way).
  void addChangeObserver(std::function<void()> observer);

 private:
  friend class StatusItem;
  void notifyChange();

  std::vector<std::function<void()>> changeObservers_;
  std::vector<std::shared_ptr<StatusItem>> items_;
  std::shared_ptr<StatusItem> openItem_;
  std::shared_ptr<Menu> openMenu_;
  bool opening_ = false;
};

}  // namespace velquarin::platform
