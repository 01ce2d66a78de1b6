#pragma once

#include <memory>

#include "Toolbar/ZqAddTabView.h"
#include "windows/Window.h"

// The title-bar accessory holding the add-tab button; made hidden.
class ZqAddTabViewController : public velquarin::platform::TitlebarAccessoryViewController {
 public:
  ZqAddTabViewController(const std::shared_ptr<ZqToolbarController>& actionDelegate,
                         bool isDarkMode);

  std::weak_ptr<ZqToolbarController> actionDelegate;
  const std::shared_ptr<ZqAddTabView>& view() const { return view_; }

 private:
  std::shared_ptr<ZqAddTabView> view_;
};
