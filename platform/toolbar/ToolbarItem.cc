#include "toolbar/ToolbarItem.h"

#include <array>

namespace velquarin::platform {

bool toolbaritem::isStandardIdentifier(const std::string& identifier) {
  static const std::array<std::string, 7> standard = {
      kSpace, kFlexibleSpace, kSeparator, kShowColors, kCustomizeToolbar, kPrint, kCloudSharing};
  for (const auto& known : standard) {
    if (known == identifier) return true;
  }
  return false;
}

ToolbarItem::ToolbarItem(std::string identifier) : identifier_(std::move(identifier)) {}

std::string ToolbarItem::className() const {
  return isStandard() ? identifier_ : std::string("NSToolbarItem");
}

void ToolbarItem::validate() {
  if (isStandard()) return;
  if (auto target = target_.lock()) enabled = target->validateToolbarItem(*this);
}

void ToolbarItem::perform() {
  if (isStandard() || !enabled) return;
  if (auto target = target_.lock()) target->toolbarAction(*this);
}

}  // namespace velquarin::platform
