#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "menus/MenuItem.h"
#include "runtime/MethodTable.h"

namespace velquarin::platform {

class Menu;
struct Event;

// Told about a menu's opening and closing. Held weakly by the menu.
class MenuDelegate {
 public:
  virtual ~MenuDelegate() = default;
  // Before the menu opens: the moment to fill it.
  virtual void menuNeedsUpdate(Menu&) {}
  // Filled and validated, about to show.
  virtual void menuWillOpen(Menu&) {}
  virtual void menuDidClose(Menu&) {}
};

// An ordered list of items. Main thread only, like everything a menu shows.
class Menu : public std::enable_shared_from_this<Menu> {
 public:
  // Every menu is of this class; its key-equivalent matching is looked up there, so a
  // module can replace it (keeping the original under a name of its own).
  static constexpr const char* kClassName = "NSMenu";
  static constexpr const char* kPerformKeyEquivalent = "performKeyEquivalent:";
  using KeyEquivalentOperations = MethodTable<bool(Menu&, const Event&)>;
  static KeyEquivalentOperations& keyEquivalentOperations();

  explicit Menu(std::string title = {});
  ~Menu();
  Menu(const Menu&) = delete;
  Menu& operator=(const Menu&) = delete;

  const std::string& title() const { return title_; }
  void setTitle(std::string title) { title_ = std::move(title); }
  // The item whose submenu this is; null for a top-level menu or when that item is gone.
  std::shared_ptr<MenuItem> parentItem() const { return parentItem_.lock(); }

  const std::vector<std::shared_ptr<MenuItem>>& items() const { return items_; }
  std::size_t numberOfItems() const { return items_.size(); }
  std::shared_ptr<MenuItem> itemAt(std::size_t index) const;
  // An item belongs to one menu at a time: adding it here takes it out of the other.
  void addItem(std::shared_ptr<MenuItem> item);
  void insertItem(std::shared_ptr<MenuItem> item, std::size_t index);
  void removeItemAt(std::size_t index);
  void removeAllItems();

  std::shared_ptr<MenuDelegate> delegate() const { return delegate_.lock(); }
  void setDelegate(const std::shared_ptr<MenuDelegate>& delegate) { delegate_ = delegate; }
  // When on (the default), opening the menu sets every item's enabled state: an item with
  // a submenu is enabled; one with an action is enabled unless its target's validation
  // refuses it; one without an action is disabled.
  bool autoenablesItems() const { return autoenablesItems_; }
  void setAutoenablesItems(bool on) { autoenablesItems_ = on; }

  // What the desktop does when the menu is about to show: the delegate fills it, the items
  // are validated, then the delegate hears that it opens. Safe when the delegate changes or
  // drops the menu meanwhile.
  void update();
  // The menu was dismissed: tells the delegate.
  void didClose();
  // Sends the item's action to its target, as when the user picks it. False when the item
  // is not this menu's, is disabled, a separator, or has no action or no live target.
  bool performActionForItem(const std::shared_ptr<MenuItem>& item);

  // Offers a key-down event through the class's "performKeyEquivalent:"; true when handled.
  bool performKeyEquivalent(const Event& event);
  // The framework's own matching: the first enabled item (hidden ones included) whose key
  // equivalent matches fires; submenus are offered the event in item order. Walks a copy of
  // the items, so an action may change the menu.
  bool matchKeyEquivalent(const Event& event);

 private:
  friend class MenuItem;
  void detach(MenuItem& item);
  void validateItems();

  std::string title_;
  std::weak_ptr<MenuItem> parentItem_;
  std::vector<std::shared_ptr<MenuItem>> items_;
  std::weak_ptr<MenuDelegate> delegate_;
  bool autoenablesItems_ = true;
};

}  // namespace velquarin::platform
