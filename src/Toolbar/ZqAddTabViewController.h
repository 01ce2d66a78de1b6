#pragma once

#include <memory>

#include "Toolbar/ZqAddTabView.h"
#include "windows/Window.h"

// The title-bar accessory holding the add-tab button; made hidden.
class ZqAddTabViewController : public velquarin::platform::TitlebarAccessoryViewController {
 public:
  ZqAddTabViewController(const std::shared_ptr<ZqAddTabViewDelegate>& actionDelegate,
                         bool isDarkMode);

  std::weak_ptr<ZqAddTabViewDelegate> actionDelegate;
  const std::shared_ptr<ZqAddTabView>& view() const { return view_; }

  void mouseDown() override { view_->mouseDown(); }
  // The window's first click only activates it.
  bool acceptsFirstMouse() const override { return false; }
  void setHovering(bool hovering) override { view_->setHovering(hovering); }
  bool isHovering() const override { return view_->isHovering; }
  void draw(velquarin::platform::Graphics& graphics, velquarin::platform::Rect bounds,
            bool windowIsMain) const override {
    view_->drawRect(graphics, bounds, windowIsMain);
  }

 private:
  std::shared_ptr<ZqAddTabView> view_;
};
