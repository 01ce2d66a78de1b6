#pragma once

#include <memory>
#include <string>

#include "toolbar/ToolbarItem.h"

// A host toolbar item: validation asks its controller (the item's target), and the answer
// enables the item and its button alike.
class ZqToolbarItem : public velquarin::platform::ToolbarItem {
 public:
  ZqToolbarItem(std::string identifier,
                const std::shared_ptr<velquarin::platform::ToolbarItemTarget>& controller);

  void validate() override;
};
