#pragma once

#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "application/EventModifierFlags.h"
#include "drawing/Graphics.h"
#include "images/Image.h"

namespace velquarin::platform {

class Menu;
class MenuItem;

// The object an item's action is sent to. Held weakly by its items.
class MenuTarget {
 public:
  virtual ~MenuTarget() = default;
  // `action` is the item's action name; `sender` the chosen item.
  virtual void performAction(const std::string& action, MenuItem& sender) = 0;
  // Asked for every item with this target each time its menu opens; false disables it.
  virtual bool validateMenuItem(const MenuItem&) { return true; }
};

enum class ControlState { Mixed = -1, Off = 0, On = 1 };

// A title with its own font; shown instead of the plain title when set.
struct AttributedTitle {
  std::string text;
  Font font;
};

// One line of a menu. Subclasses add their own state and may keep the image up to date.
class MenuItem : public std::enable_shared_from_this<MenuItem> {
 public:
  explicit MenuItem(std::string title = {}, std::string action = {},
                    std::string keyEquivalent = {});
  virtual ~MenuItem();
  MenuItem(const MenuItem&) = delete;
  MenuItem& operator=(const MenuItem&) = delete;

  static std::shared_ptr<MenuItem> separatorItem();
  bool isSeparatorItem() const { return separator_; }

  const std::string& title() const { return title_; }
  void setTitle(std::string title) { title_ = std::move(title); }
  const std::optional<AttributedTitle>& attributedTitle() const { return attributedTitle_; }
  void setAttributedTitle(std::optional<AttributedTitle> title) {
    attributedTitle_ = std::move(title);
  }
  // What the menu shows: the attributed title's text when there is one, else the title.
  const std::string& displayedTitle() const;
  Font displayedFont() const;

  const std::string& action() const { return action_; }
  void setAction(std::string action) { action_ = std::move(action); }
  std::shared_ptr<MenuTarget> target() const { return target_.lock(); }
  void setTarget(const std::shared_ptr<MenuTarget>& target) { target_ = target; }
  const std::string& keyEquivalent() const { return keyEquivalent_; }
  void setKeyEquivalent(std::string key) { keyEquivalent_ = std::move(key); }
  // The modifiers the key equivalent needs (EventModifierFlags bits); command by default.
  std::uint64_t keyEquivalentModifierMask() const { return keyEquivalentModifierMask_; }
  void setKeyEquivalentModifierMask(std::uint64_t mask) { keyEquivalentModifierMask_ = mask; }
  // A hidden item is not shown, yet its key equivalent still works.
  bool isHidden() const { return hidden_; }
  void setHidden(bool hidden) { hidden_ = hidden; }
  long tag() const { return tag_; }
  void setTag(long tag) { tag_ = tag; }

  // Any JSON value, kept as it is (64-bit integers included).
  const nlohmann::json& representedObject() const { return representedObject_; }
  void setRepresentedObject(nlohmann::json object) { representedObject_ = std::move(object); }

  const std::string& toolTip() const { return toolTip_; }
  void setToolTip(std::string tip) { toolTip_ = std::move(tip); }
  const std::shared_ptr<Image>& image() const { return image_; }
  void setImage(std::shared_ptr<Image> image) { image_ = std::move(image); }
  ControlState state() const { return state_; }
  void setState(ControlState state) { state_ = state; }
  bool isEnabled() const { return enabled_; }
  void setEnabled(bool enabled) { enabled_ = enabled; }

  const std::shared_ptr<Menu>& submenu() const { return submenu_; }
  // The submenu learns this item as its parent item (the item must be owned by a shared_ptr).
  void setSubmenu(std::shared_ptr<Menu> submenu);
  // The menu holding this item; null when it is in none.
  Menu* menu() const { return menu_; }

 private:
  friend class Menu;

  std::string title_;
  std::optional<AttributedTitle> attributedTitle_;
  std::string action_;
  std::weak_ptr<MenuTarget> target_;
  std::string keyEquivalent_;
  std::uint64_t keyEquivalentModifierMask_ = EventModifierFlags::Command;
  bool hidden_ = false;
  long tag_ = 0;
  nlohmann::json representedObject_;
  std::string toolTip_;
  std::shared_ptr<Image> image_;
  ControlState state_ = ControlState::Off;
  bool enabled_ = true;
  bool separator_ = false;
  std::shared_ptr<Menu> submenu_;
  Menu* menu_ = nullptr;
};

}  // namespace velquarin::platform
