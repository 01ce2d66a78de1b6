#include "menus/Menu.h"

#include <algorithm>

#include "application/DispatchReport.h"
#include "application/KeyEquivalent.h"
#include "runtime/ClassRegistry.h"

namespace velquarin::platform {

namespace {

void declareMenuClass() {
  ClassRegistry::shared().declare("NSObject");
  ClassRegistry::shared().declare(Menu::kClassName, "NSObject");
  Menu::keyEquivalentOperations().add(
      Menu::kClassName, Menu::kPerformKeyEquivalent,
      [](Menu& menu, const Event& event) { return menu.matchKeyEquivalent(event); });
}

[[maybe_unused]] const bool gDeclared = (declareMenuClass(), true);

}  // namespace

Menu::KeyEquivalentOperations& Menu::keyEquivalentOperations() {
  static auto* operations = new KeyEquivalentOperations();
  return *operations;
}

bool Menu::performKeyEquivalent(const Event& event) {
  auto keep = weak_from_this().lock();
  auto operation = keyEquivalentOperations().lookup(kClassName, kPerformKeyEquivalent);
  return operation && operation(*this, event);
}

bool Menu::matchKeyEquivalent(const Event& event) {
  auto keep = weak_from_this().lock();
  const auto items = items_;
  for (const auto& item : items) {
    if (const auto submenu = item->submenu()) {
      if (submenu->performKeyEquivalent(event)) return true;
    } else if (!item->isSeparatorItem() && item->isEnabled() &&
               matchesKeyEquivalent(*item, event)) {
      if (!performActionForItem(item)) continue;
      auto& report = lastDispatch();
      report.menuItemFired = true;
      report.menuItem = item->title();
      return true;
    }
  }
  return false;
}

Menu::Menu(std::string title) : title_(std::move(title)) {}

Menu::~Menu() {
  for (auto& item : items_) item->menu_ = nullptr;
}

std::shared_ptr<MenuItem> Menu::itemAt(std::size_t index) const {
  return index < items_.size() ? items_[index] : nullptr;
}

void Menu::detach(MenuItem& item) {
  if (item.menu_ && item.menu_ != this) {
    Menu* other = item.menu_;
    auto found = std::find_if(other->items_.begin(), other->items_.end(),
                              [&](const auto& held) { return held.get() == &item; });
    if (found != other->items_.end()) other->items_.erase(found);
  } else if (item.menu_ == this) {
    auto found = std::find_if(items_.begin(), items_.end(),
                              [&](const auto& held) { return held.get() == &item; });
    if (found != items_.end()) items_.erase(found);
  }
  item.menu_ = nullptr;
}

void Menu::addItem(std::shared_ptr<MenuItem> item) {
  insertItem(std::move(item), items_.size());
}

void Menu::insertItem(std::shared_ptr<MenuItem> item, std::size_t index) {
  if (!item) return;
  detach(*item);
  item->menu_ = this;
  items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(std::min(index, items_.size())),
                std::move(item));
}

void Menu::removeItemAt(std::size_t index) {
  if (index >= items_.size()) return;
  items_[index]->menu_ = nullptr;
  items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(index));
}

void Menu::removeAllItems() {
  // Moved out first: an item's destructor may run code that looks at this menu.
  auto removed = std::move(items_);
  items_.clear();
  for (auto& item : removed) item->menu_ = nullptr;
}

void Menu::update() {
  auto keep = weak_from_this().lock();  // the delegate may drop its last owner
  if (auto delegate = delegate_.lock()) delegate->menuNeedsUpdate(*this);
  if (autoenablesItems_) validateItems();
  if (auto delegate = delegate_.lock()) delegate->menuWillOpen(*this);
}

void Menu::validateItems() {
  const auto items = items_;  // validation may change the menu
  for (const auto& item : items) {
    if (item->isSeparatorItem()) continue;
    if (item->submenu()) {
      item->setEnabled(true);
    } else if (item->action().empty()) {
      item->setEnabled(false);
    } else if (auto target = item->target()) {
      item->setEnabled(target->validateMenuItem(*item));
    } else {
      item->setEnabled(true);
    }
  }
}

void Menu::didClose() {
  auto keep = weak_from_this().lock();  // the delegate may drop its last owner
  if (auto delegate = delegate_.lock()) delegate->menuDidClose(*this);
}

bool Menu::performActionForItem(const std::shared_ptr<MenuItem>& item) {
  if (!item || item->menu_ != this || item->isSeparatorItem() || !item->isEnabled() ||
      item->action().empty()) {
    return false;
  }
  auto target = item->target();
  if (!target) return false;
  auto keepItem = item;
  target->performAction(item->action(), *keepItem);
  return true;
}

}  // namespace velquarin::platform
