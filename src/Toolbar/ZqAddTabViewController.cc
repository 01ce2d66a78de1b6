#include "Toolbar/ZqAddTabViewController.h"

ZqAddTabViewController::ZqAddTabViewController(
    const std::shared_ptr<ZqAddTabViewDelegate>& actionDelegate, bool isDarkMode)
    : TitlebarAccessoryViewController(LayoutAttribute::Right, ZqAddTabView::kSize),
      actionDelegate(actionDelegate),
      view_(std::make_shared<ZqAddTabView>(actionDelegate, isDarkMode)) {
  hidden = true;
}
