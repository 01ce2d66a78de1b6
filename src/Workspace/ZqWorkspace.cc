#include "Workspace/ZqWorkspace.h"

#include <cmath>
#include <optional>

#include "Utilities/ZqCallbackSlot.h"
#include "Utilities/ZqConvert.h"
#include "Utilities/ZqLog.h"
#include "Workspace/ZqQuickLook.h"
#include "runloop/BackgroundQueue.h"
#include "screen/Screen.h"
#include "thumbnails/Thumbnails.h"

namespace platform = velquarin::platform;

namespace {

ZqCallbackSlot& quickLookPathCallback() {
  static auto* slot = new ZqCallbackSlot("quick look path callback");
  return *slot;
}

void pathChanged(const std::optional<std::string>& path) {
  ZQ_LOG_DEBUG("URL changed %@", path.value_or("(null)"));
  if (!path) {
    ZQ_LOG_WARN("Need path for quicklook");
    return;
  }
  quickLookPathCallback().invoke(
      [path = *path](Napi::Env env) { return std::vector<napi_value>{ZqToHostString(env, path)}; });
}

// Accepts the proposed services and otherwise stays out of the way.
class ZqSharingServicePicker : public platform::SharingServicePickerDelegate {
 public:
  std::vector<platform::SharingService> servicesForItems(
      const std::vector<std::string>&, std::vector<platform::SharingService> proposed) override {
    return proposed;
  }
  void didChooseService(const std::optional<platform::SharingService>&) override {}
};

}  // namespace

void ZqQuickLookFiles(const std::shared_ptr<platform::Window>& window,
                      std::vector<std::string> paths, std::int64_t startIndex,
                      Napi::Value function) {
  quickLookPathCallback().set(function);
  auto& panel = platform::PreviewPanel::shared();
  std::shared_ptr<ZqQuickLook> controller;
  if (auto* current = dynamic_cast<ZqQuickLook*>(panel.currentController())) {
    controller = current->shared_from_this();
  } else {
    controller = ZqQuickLook::initWithWindow(window);
    controller->pathChangedCallback = pathChanged;
    controller->openPanel();
  }
  controller->setURLs(std::move(paths), startIndex);
}

void ZqShareFiles(std::vector<std::string> paths, const std::shared_ptr<platform::Window>& window,
                  platform::Rect rect, platform::SharingServicePicker::Edge edge) {
  auto picker = std::make_shared<platform::SharingServicePicker>(std::move(paths));
  picker->delegate = std::make_shared<ZqSharingServicePicker>();
  platform::SharingServicePicker::show(picker, window->handle(), rect, edge);
}

bool ZqImagePreview(const std::string& path, int size, bool iconMode,
                    std::function<void(std::shared_ptr<platform::Image>)> completion) {
  // No file URL can be made of these: nothing to look at.
  if (path.empty() || path.find('\0') != std::string::npos) {
    ZQ_LOG_ERROR("couldn't create URL for path: %@", path);
    return false;
  }
  const int pixels = static_cast<int>(std::lround(size * platform::Screen::backingScaleFactor()));
  platform::BackgroundQueue::shared().async(
      [path, pixels, iconMode] {
        return iconMode ? platform::iconForFile(path, pixels)
                        : platform::thumbnailForFile(path, pixels);
      },
      std::move(completion), true);
  return true;
}
