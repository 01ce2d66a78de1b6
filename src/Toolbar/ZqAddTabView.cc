#include "Toolbar/ZqAddTabView.h"

ZqAddTabView::ZqAddTabView(const std::shared_ptr<ZqAddTabViewDelegate>& delegate, bool isDarkMode)
    : isDarkMode(isDarkMode), delegate(delegate) {}

void ZqAddTabView::mouseDown() {
  if (auto controller = delegate.lock()) controller->addTabViewButtonClicked();
}
