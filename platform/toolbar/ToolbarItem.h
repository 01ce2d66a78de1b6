#pragma once

#include <memory>
#include <optional>
#include <string>

#include "images/Image.h"
#include "menus/MenuItem.h"

namespace velquarin::platform {

class Toolbar;
class ToolbarItem;

// The identifiers of the items a toolbar makes itself.
namespace toolbaritem {
inline constexpr const char* kSpace = "NSToolbarSpaceItem";
inline constexpr const char* kFlexibleSpace = "NSToolbarFlexibleSpaceItem";
inline constexpr const char* kSeparator = "NSToolbarSeparatorItem";
inline constexpr const char* kShowColors = "NSToolbarShowColorsItem";
inline constexpr const char* kCustomizeToolbar = "NSToolbarCustomizeToolbarItem";
inline constexpr const char* kPrint = "NSToolbarPrintItem";
inline constexpr const char* kCloudSharing = "NSToolbarCloudSharingItem";
// Whether `identifier` is one of the seven above.
bool isStandardIdentifier(const std::string& identifier);
}  // namespace toolbaritem

// The object toolbar items, their buttons and menu forms send their action to.
class ToolbarItemTarget {
 public:
  virtual ~ToolbarItemTarget() = default;
  // `item` is the toolbar item chosen (directly, through its button or its menu form).
  virtual void toolbarAction(ToolbarItem& item) = 0;
  // Asked when the item (or its menu form) is validated; false disables it.
  virtual bool validateToolbarItem(ToolbarItem& item) = 0;
};

// A push button shown as an item's view.
struct ToolbarButton {
  int bezelStyle = 0;
  std::shared_ptr<Image> image;
  bool imageIsTemplate = false;
  bool enabled = true;
};

// One item of a toolbar. Standard items (kSpace and the like) are made by the toolbar; the
// others by its delegate. Main thread only.
class ToolbarItem : public std::enable_shared_from_this<ToolbarItem> {
 public:
  explicit ToolbarItem(std::string identifier);
  virtual ~ToolbarItem() = default;
  ToolbarItem(const ToolbarItem&) = delete;
  ToolbarItem& operator=(const ToolbarItem&) = delete;

  const std::string& identifier() const { return identifier_; }
  // The class the item answers to: the identifier for standard items, else
  // "NSToolbarItem".
  std::string className() const;
  bool isStandard() const { return toolbaritem::isStandardIdentifier(identifier_); }

  std::string label;
  std::string paletteLabel;
  std::string toolTip;
  std::shared_ptr<Image> image;
  bool imageIsTemplate = false;
  bool enabled = true;
  std::optional<ToolbarButton> view;
  Size minSize;
  Size maxSize;
  // Shown instead of the item when the toolbar shows labels only.
  std::shared_ptr<MenuItem> menuFormRepresentation;

  std::shared_ptr<ToolbarItemTarget> target() const { return target_.lock(); }
  void setTarget(const std::shared_ptr<ToolbarItemTarget>& target) { target_ = target; }

  // The desktop's periodic check: asks the target whether the item is enabled. Standard
  // items need no answer.
  virtual void validate();
  // The item, its button or its menu form was chosen: tells the target. Disabled items and
  // standard items do nothing here (the toolbar handles "customize").
  void perform();

 private:
  std::string identifier_;
  std::weak_ptr<ToolbarItemTarget> target_;
};

}  // namespace velquarin::platform
