#include "menus/MenuItem.h"

#include "menus/Menu.h"

namespace velquarin::platform {

MenuItem::MenuItem(std::string title, std::string action, std::string keyEquivalent)
    : title_(std::move(title)),
      action_(std::move(action)),
      keyEquivalent_(std::move(keyEquivalent)) {}

MenuItem::~MenuItem() = default;

std::shared_ptr<MenuItem> MenuItem::separatorItem() {
  auto item = std::make_shared<MenuItem>();
  item->separator_ = true;
  item->enabled_ = false;
  return item;
}

const std::string& MenuItem::displayedTitle() const {
  return attributedTitle_ ? attributedTitle_->text : title_;
}

Font MenuItem::displayedFont() const {
  return attributedTitle_ ? attributedTitle_->font : Font::menuBarFont();
}

void MenuItem::setSubmenu(std::shared_ptr<Menu> submenu) {
  if (submenu_ && submenu_->parentItem().get() == this) submenu_->parentItem_.reset();
  submenu_ = std::move(submenu);
  if (submenu_) submenu_->parentItem_ = weak_from_this();
}

}  // namespace velquarin::platform
