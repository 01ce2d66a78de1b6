#include "Toolbar/ZqToolbarItem.h"

ZqToolbarItem::ZqToolbarItem(
    std::string identifier,
    const std::shared_ptr<velquarin::platform::ToolbarItemTarget>& controller)
    : ToolbarItem(std::move(identifier)) {
  setTarget(controller);
}

void ZqToolbarItem::validate() {
  // One question to the host per item: the base check would ask the same controller again.
  auto controller = target();
  if (!controller) return;
  enabled = controller->validateToolbarItem(*this);
  if (view) view->enabled = enabled;
}
