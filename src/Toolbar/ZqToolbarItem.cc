#include "Toolbar/ZqToolbarItem.h"

#include "Toolbar/ZqToolbarController.h"

ZqToolbarItem::ZqToolbarItem(std::string identifier,
                             const std::shared_ptr<ZqToolbarController>& controller)
    : ToolbarItem(std::move(identifier)), controller_(controller) {}

void ZqToolbarItem::validate() {
  // One question to the host per item: the base check would ask the same controller again.
  auto controller = controller_.lock();
  if (!controller) return;
  enabled = controller->realValidateToolbarItem(*this);
  if (view) view->enabled = enabled;
}
