#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "toolbar/ToolbarItem.h"

namespace velquarin::platform {

class Window;

enum class ToolbarDisplayMode { Default = 0, IconAndLabel = 1, IconOnly = 2, LabelOnly = 3 };

// Supplies a toolbar's items: which may appear, which appear first, which can be selected,
// and the item for an identifier (never asked for the standard items).
class ToolbarDelegate {
 public:
  virtual ~ToolbarDelegate() = default;
  virtual std::vector<std::string> allowedItemIdentifiers() = 0;
  virtual std::vector<std::string> defaultItemIdentifiers() = 0;
  virtual std::vector<std::string> selectableItemIdentifiers() = 0;
  virtual std::shared_ptr<ToolbarItem> itemForIdentifier(const std::string& identifier,
                                                         bool willBeInserted) = 0;
};

// A window's toolbar. Items are filled in when it is attached to a window: the stored
// arrangement when it autosaves and one is kept, else the delegate's default items. Main
// thread only.
class Toolbar : public std::enable_shared_from_this<Toolbar> {
 public:
  explicit Toolbar(std::string identifier);
  virtual ~Toolbar() = default;
  Toolbar(const Toolbar&) = delete;
  Toolbar& operator=(const Toolbar&) = delete;

  const std::string& identifier() const { return identifier_; }
  std::shared_ptr<ToolbarDelegate> delegate() const { return delegate_.lock(); }
  void setDelegate(const std::shared_ptr<ToolbarDelegate>& delegate) { delegate_ = delegate; }

  bool allowsExtensionItems = false;
  bool allowsUserCustomization = false;
  bool autosavesConfiguration = false;
  bool showsBaselineSeparator = true;

  bool isVisible() const { return visible_; }
  void setVisible(bool visible);
  ToolbarDisplayMode displayMode() const { return displayMode_; }
  void setDisplayMode(ToolbarDisplayMode mode);
  const std::optional<std::string>& selectedItemIdentifier() const { return selected_; }
  void setSelectedItemIdentifier(std::optional<std::string> identifier) {
    selected_ = std::move(identifier);
  }

  const std::vector<std::shared_ptr<ToolbarItem>>& items() const { return items_; }
  // The items shown: all of them while the toolbar is visible, none otherwise.
  std::vector<std::shared_ptr<ToolbarItem>> visibleItems() const;
  // Inserts the item for `identifier` (made by the toolbar for a standard identifier, else
  // by the delegate) at `index` (clamped to the end); false when none could be made.
  bool insertItemWithIdentifier(const std::string& identifier, std::size_t index);
  // Removes the item at `index`; out-of-range indexes are ignored.
  void removeItemAtIndex(std::size_t index);
  // Asks every visible item whether it is enabled. Iterates over a copy: an item's check may
  // change the toolbar.
  void validateVisibleItems();

  // Called by the window when the toolbar is set on it: fills in the items.
  void attach();

  // The customisation palette. runCustomizationPalette is what the "customize" item and the
  // user's menu command call; subclasses may do more around it.
  bool customizationPaletteIsRunning() const { return paletteRunning_; }
  virtual void runCustomizationPalette();
  // The user closes the palette, leaving `identifiers` as the arrangement when given
  // (unknown ones are skipped).
  void endCustomizationPalette(const std::optional<std::vector<std::string>>& identifiers);

  // A click on an item as the user makes it: standard "customize" opens the palette, other
  // standard items do nothing; in label mode the item's menu form is validated first.
  void clickItem(const std::shared_ptr<ToolbarItem>& item);

 private:
  std::shared_ptr<ToolbarItem> makeItem(const std::string& identifier, bool willBeInserted);
  std::optional<std::vector<std::string>> storedIdentifiers() const;
  void saveConfiguration() const;
  void restoreConfiguration();

  std::string identifier_;
  std::weak_ptr<ToolbarDelegate> delegate_;
  std::vector<std::shared_ptr<ToolbarItem>> items_;
  bool visible_ = true;
  ToolbarDisplayMode displayMode_ = ToolbarDisplayMode::Default;
  std::optional<std::string> selected_;
  bool paletteRunning_ = false;
  bool attached_ = false;
};

}  // namespace velquarin::platform
