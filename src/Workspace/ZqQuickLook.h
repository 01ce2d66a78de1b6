#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "quicklook/PreviewPanel.h"
#include "windows/Window.h"

// The Quick Look panel's controller, data source and delegate for one window. It joins the
// window's responder chain when it opens the panel and leaves it when the panel ends its
// control; the panel owns it meanwhile. Main thread only.
class ZqQuickLook : public velquarin::platform::PreviewPanelController,
                    public velquarin::platform::PreviewPanelDataSource,
                    public velquarin::platform::PreviewPanelDelegate,
                    public std::enable_shared_from_this<ZqQuickLook> {
 public:
  using PathChanged = std::function<void(const std::optional<std::string>& path)>;

  static std::shared_ptr<ZqQuickLook> initWithWindow(
      std::shared_ptr<velquarin::platform::Window> window);

  std::shared_ptr<velquarin::platform::Window> window;
  std::vector<std::string> urls;
  std::int64_t startIndex = -1;
  PathChanged pathChangedCallback;
  bool callbackEnabled = true;

  void openPanel();
  void setURLs(std::vector<std::string> paths, std::int64_t index);
  void installIntoResponderChain();
  void uninstallFromResponderChain();

  bool acceptsPreviewPanelControl(velquarin::platform::PreviewPanel& panel) override;
  void beginPreviewPanelControl(velquarin::platform::PreviewPanel& panel) override;
  void endPreviewPanelControl(velquarin::platform::PreviewPanel& panel) override;
  std::size_t numberOfPreviewItems(velquarin::platform::PreviewPanel& panel) override;
  std::string previewItemAtIndex(velquarin::platform::PreviewPanel& panel,
                                 std::size_t index) override;
  bool handleKeyEvent(velquarin::platform::PreviewPanel& panel, int keyCode,
                      int eventType) override;

 private:
  bool isCurrentController() const;
  void showValidStartIndex(velquarin::platform::PreviewPanel& panel);
  bool reportQueued_ = false;
};
