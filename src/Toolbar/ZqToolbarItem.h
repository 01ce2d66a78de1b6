#pragma once

#include <memory>
#include <string>

#include "toolbar/ToolbarItem.h"

class ZqToolbarController;

// A host toolbar item: validation asks its controller, and the answer enables the item and
// its button alike.
class ZqToolbarItem : public velquarin::platform::ToolbarItem {
 public:
  ZqToolbarItem(std::string identifier, const std::shared_ptr<ZqToolbarController>& controller);

  std::shared_ptr<ZqToolbarController> controller() const { return controller_.lock(); }
  void validate() override;

 private:
  std::weak_ptr<ZqToolbarController> controller_;
};
