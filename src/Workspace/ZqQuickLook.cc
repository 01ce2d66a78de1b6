#include "Workspace/ZqQuickLook.h"

#include "Utilities/ZqLog.h"
#include "runloop/MainQueue.h"

using velquarin::platform::MainQueue;
using velquarin::platform::PreviewPanel;
using velquarin::platform::Window;

namespace {

constexpr int kDownArrow = 125;
constexpr int kUpArrow = 126;

}  // namespace

std::shared_ptr<ZqQuickLook> ZqQuickLook::initWithWindow(std::shared_ptr<Window> window) {
  auto controller = std::make_shared<ZqQuickLook>();
  controller->window = std::move(window);
  return controller;
}

bool ZqQuickLook::isCurrentController() const {
  return PreviewPanel::shared().currentController() == this;
}

void ZqQuickLook::openPanel() {
  installIntoResponderChain();
  if (window) PreviewPanel::shared().makeKeyAndOrderFrontForWindow(window->handle());
}

void ZqQuickLook::setURLs(std::vector<std::string> paths, std::int64_t index) {
  urls = std::move(paths);
  startIndex = index;
  if (!isCurrentController()) return;
  callbackEnabled = false;
  PreviewPanel::shared().reloadData();
  showValidStartIndex(PreviewPanel::shared());
  callbackEnabled = true;
}

// Only an index of an item becomes current: anything else keeps what the panel shows.
void ZqQuickLook::showValidStartIndex(PreviewPanel& panel) {
  if (startIndex >= 0 && static_cast<std::size_t>(startIndex) < urls.size()) {
    panel.setCurrentPreviewItemIndex(startIndex);
  }
}

void ZqQuickLook::installIntoResponderChain() {
  if (!window || PreviewPanel::shared().currentController()) return;
  auto self = shared_from_this();
  const auto next = velquarin::platform::windowNextResponder(window->handle());
  if (next == self) return;
  setNextResponder(next);
  velquarin::platform::setWindowNextResponder(window->handle(), self);
  ZQ_LOG_DEBUG("installed QL into responder chain");
}

void ZqQuickLook::uninstallFromResponderChain() {
  if (!window) return;
  if (velquarin::platform::windowNextResponder(window->handle()) != shared_from_this()) return;
  velquarin::platform::setWindowNextResponder(window->handle(), nextResponder());
  setNextResponder(nullptr);
}

bool ZqQuickLook::acceptsPreviewPanelControl(PreviewPanel& panel) {
  return !panel.currentController() || panel.currentController() == this;
}

void ZqQuickLook::beginPreviewPanelControl(PreviewPanel& panel) {
  callbackEnabled = false;
  panel.setDataSource(shared_from_this());
  panel.setDelegate(shared_from_this());
  panel.reloadData();
  showValidStartIndex(panel);
  callbackEnabled = true;
}

void ZqQuickLook::endPreviewPanelControl(PreviewPanel& panel) {
  panel.setDataSource(nullptr);
  uninstallFromResponderChain();
}

std::size_t ZqQuickLook::numberOfPreviewItems(PreviewPanel&) {
  return urls.size();
}

std::string ZqQuickLook::previewItemAtIndex(PreviewPanel&, std::size_t index) {
  // One report at a time is enough: it reads the item shown when it runs.
  if (!reportQueued_) {
    reportQueued_ = true;
    MainQueue::shared().async([self = shared_from_this()] {
      self->reportQueued_ = false;
      if (!self->callbackEnabled || !self->pathChangedCallback) return;
      self->pathChangedCallback(PreviewPanel::shared().currentPreviewItem());
    });
  }
  return index < urls.size() ? urls[index] : std::string();
}

bool ZqQuickLook::handleKeyEvent(PreviewPanel& panel, int keyCode, int eventType) {
  if (eventType != PreviewPanel::kKeyUp) return false;
  const auto count = static_cast<std::int64_t>(urls.size());
  if ((keyCode != kDownArrow && keyCode != kUpArrow) || count == 0) return false;
  const std::int64_t index = panel.currentPreviewItemIndex();
  if (keyCode == kDownArrow) {
    panel.setCurrentPreviewItemIndex(index <= 0 ? count - 1 : index - 1);
  } else {
    panel.setCurrentPreviewItemIndex(index + 1 >= count ? 0 : index + 1);
  }
  return true;
}
