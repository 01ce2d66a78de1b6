#include "quicklook/PreviewPanel.h"

#include "windows/WindowRegistry.h"

namespace velquarin::platform {

PreviewPanel& PreviewPanel::shared() {
  static auto* panel = new PreviewPanel();
  return *panel;
}

PreviewPanel::PreviewPanel() {
  NotificationCenter::defaultCenter().addObserver(
      kWindowWillCloseNotification, nullptr, NotificationCenter::Delivery::Posting,
      [this](const Notification& note) { windowWillClose(note); });
}

void PreviewPanel::windowWillClose(const Notification& note) {
  const auto* window = static_cast<const Window*>(note.object);
  if (open_ && window && window->handle() == window_) close();
}

void PreviewPanel::makeKeyAndOrderFrontForWindow(std::uint64_t windowHandle) {
  if (!WindowRegistry::shared().find(windowHandle)) return;
  if (open_ && window_ != windowHandle) close();
  open_ = true;
  window_ = windowHandle;
  if (controller_) return;
  for (auto responder = windowNextResponder(windowHandle); responder;
       responder = responder->nextResponder()) {
    auto candidate = std::dynamic_pointer_cast<PreviewPanelController>(responder);
    if (candidate && candidate->acceptsPreviewPanelControl(*this)) {
      controller_ = candidate;
      controller_->beginPreviewPanelControl(*this);
      break;
    }
  }
  if (!controller_) reloadData();
}

void PreviewPanel::close() {
  if (!open_) return;
  open_ = false;
  // The controller stays alive until its control has ended.
  auto controller = std::move(controller_);
  controller_.reset();
  if (controller) controller->endPreviewPanelControl(*this);
  dataSource_.reset();
  delegate_.reset();
  count_ = 0;
  index_ = 0;
  item_.reset();
  window_ = 0;
}

void PreviewPanel::reloadData() {
  auto source = dataSource_.lock();
  count_ = source ? source->numberOfPreviewItems(*this) : 0;
  if (index_ < 0 || static_cast<std::size_t>(index_) >= count_) index_ = 0;
  showCurrentItem();
}

void PreviewPanel::setCurrentPreviewItemIndex(std::int64_t index) {
  if (index < 0 || static_cast<std::size_t>(index) >= count_) return;
  index_ = index;
  showCurrentItem();
}

void PreviewPanel::showCurrentItem() {
  item_.reset();
  auto source = dataSource_.lock();
  if (!open_ || !source || count_ == 0) return;
  item_ = source->previewItemAtIndex(*this, static_cast<std::size_t>(index_));
}

bool PreviewPanel::keyEvent(int keyCode, int eventType) {
  if (!open_) return false;
  if (auto delegate = delegate_.lock();
      delegate && delegate->handleKeyEvent(*this, keyCode, eventType)) {
    return true;
  }
  if (keyCode == kEscapeKeyCode && eventType == kKeyDown) {
    close();
    return true;
  }
  return false;
}

}  // namespace velquarin::platform
