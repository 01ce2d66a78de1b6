#include "Toolbar/ZqAddTabView.h"

#include "Toolbar/ZqToolbarController.h"

ZqAddTabView::ZqAddTabView(const std::shared_ptr<ZqToolbarController>& delegate, bool isDarkMode)
    : isDarkMode(isDarkMode), delegate(delegate) {}

void ZqAddTabView::mouseDown() {
  if (auto controller = delegate.lock()) controller->addTabViewButtonClicked();
}
