#include "Toolbar/ZqToolbar.h"

using velquarin::platform::MainQueue;

ZqToolbar::~ZqToolbar() {
  stopPaletteTimer();
}

void ZqToolbar::runCustomizationPalette() {
  // A second opening would find the button hidden by the first and forget to bring it back.
  if (customizationPaletteIsRunning()) return;
  auto controller = toolbarController.lock();
  // Whether the button shows now decides whether it comes back: an earlier palette's
  // request must not re-show a button hidden since.
  needToShowAddTabButton = controller && controller->isAddTabViewShowing();
  if (needToShowAddTabButton) controller->hideAddTabButton();
  stopPaletteTimer();
  std::weak_ptr<ZqToolbar> weak = std::static_pointer_cast<ZqToolbar>(shared_from_this());
  paletteTimer_ = MainQueue::shared().every(kPaletteTimerInterval, [weak] {
    if (auto toolbar = weak.lock()) toolbar->timerFired();
  });
  Toolbar::runCustomizationPalette();
}

void ZqToolbar::stopPaletteTimer() {
  if (paletteTimer_ == 0) return;
  MainQueue::shared().cancel(paletteTimer_);
  paletteTimer_ = 0;
}

void ZqToolbar::timerFired() {
  if (customizationPaletteIsRunning()) return;
  stopPaletteTimer();
  if (!needToShowAddTabButton) return;
  needToShowAddTabButton = false;
  if (auto controller = toolbarController.lock()) controller->showAddTabButton();
}
