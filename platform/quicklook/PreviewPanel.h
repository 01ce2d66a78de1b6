#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "notificationcenter/NotificationCenter.h"
#include "windows/Responder.h"

namespace velquarin::platform {

class PreviewPanel;

// What the panel asks its items from.
class PreviewPanelDataSource {
 public:
  virtual ~PreviewPanelDataSource() = default;
  virtual std::size_t numberOfPreviewItems(PreviewPanel& panel) = 0;
  // The file shown at the index (a path).
  virtual std::string previewItemAtIndex(PreviewPanel& panel, std::size_t index) = 0;
};

// Sees the panel's key events before the panel does; true when it handled one.
class PreviewPanelDelegate {
 public:
  virtual ~PreviewPanelDelegate() = default;
  virtual bool handleKeyEvent(PreviewPanel& panel, int keyCode, int eventType) = 0;
};

// A responder that can drive the panel. The panel finds it in the key window's chain.
class PreviewPanelController : public Responder {
 public:
  virtual bool acceptsPreviewPanelControl(PreviewPanel& panel) = 0;
  virtual void beginPreviewPanelControl(PreviewPanel& panel) = 0;
  virtual void endPreviewPanelControl(PreviewPanel& panel) = 0;
};

// The shared preview panel: one per process, shown for one window at a time. While it is
// open it owns its controller; closing it (Escape, the window going away, close()) ends
// the control and lets the controller go. Main thread only.
class PreviewPanel {
 public:
  static PreviewPanel& shared();

  static constexpr int kKeyDown = 10;
  static constexpr int kKeyUp = 11;
  static constexpr int kEscapeKeyCode = 53;

  // Shows the panel for the window: the first responder after the window that accepts
  // control becomes the controller.
  void makeKeyAndOrderFrontForWindow(std::uint64_t windowHandle);
  void close();
  bool isOpen() const { return open_; }

  PreviewPanelController* currentController() const { return controller_.get(); }
  std::uint64_t windowHandle() const { return window_; }

  // Weak: the controller that sets itself keeps itself alive through the panel.
  void setDataSource(const std::shared_ptr<PreviewPanelDataSource>& source) {
    dataSource_ = source;
  }
  void setDelegate(const std::shared_ptr<PreviewPanelDelegate>& delegate) { delegate_ = delegate; }

  // Asks the data source again; an index past the new end falls back to the first item.
  void reloadData();
  std::size_t numberOfItems() const { return count_; }
  // Shows the item at the index; an index outside the items is ignored.
  void setCurrentPreviewItemIndex(std::int64_t index);
  std::int64_t currentPreviewItemIndex() const { return index_; }
  // The item shown, when the panel is open and has items.
  std::optional<std::string> currentPreviewItem() const { return item_; }

  // A key event from the user: the delegate first, then Escape (key down) closes the panel.
  bool keyEvent(int keyCode, int eventType);

 private:
  PreviewPanel();
  void showCurrentItem();
  void windowWillClose(const Notification& note);

  bool open_ = false;
  std::uint64_t window_ = 0;
  std::shared_ptr<PreviewPanelController> controller_;
  std::weak_ptr<PreviewPanelDataSource> dataSource_;
  std::weak_ptr<PreviewPanelDelegate> delegate_;
  std::size_t count_ = 0;
  std::int64_t index_ = 0;
  std::optional<std::string> item_;
};

}  // namespace velquarin::platform
