#include "dialogs/SavePanel.h"

#include <cstdlib>
#include <filesystem>
#include <map>
#include <mutex>

#include "notificationcenter/NotificationCenter.h"
#include "runloop/MainQueue.h"
#include "windows/WindowRegistry.h"

namespace velquarin::platform {

namespace {

struct Sheet {
  std::shared_ptr<SavePanel> panel;
  SavePanel::Completion completion;
  std::uint64_t attached = 0;  // the window's sheet identifier
};

class Sheets {
 public:
  static Sheets& shared() {
    static Sheets* sheets = new Sheets();
    return *sheets;
  }

  bool attach(std::uint64_t handle, Sheet sheet) {
    std::lock_guard lock(mutex_);
    return sheets_.emplace(handle, std::move(sheet)).second;
  }

  std::optional<Sheet> detach(std::uint64_t handle) {
    std::lock_guard lock(mutex_);
    auto found = sheets_.find(handle);
    if (found == sheets_.end()) return std::nullopt;
    Sheet sheet = std::move(found->second);
    sheets_.erase(found);
    if (auto window = WindowRegistry::shared().find(handle)) window->detachSheet(sheet.attached);
    return sheet;
  }

  std::shared_ptr<SavePanel> find(std::uint64_t handle) const {
    std::lock_guard lock(mutex_);
    auto found = sheets_.find(handle);
    return found == sheets_.end() ? nullptr : found->second.panel;
  }

 private:
  Sheets() {
    // A sheet does not outlive its window: it ends as cancelled.
    NotificationCenter::defaultCenter().addObserver(
        std::string(kWindowWillCloseNotification), nullptr, NotificationCenter::Delivery::Posting,
        [](const Notification& notification) {
          const auto* window = static_cast<const Window*>(notification.object);
          if (!window) return;
          // Later, so a completion that begins a new sheet finds the window already gone.
          if (auto sheet = shared().detach(window->handle())) {
            MainQueue::shared().async([sheet = std::move(*sheet)] {
              if (sheet.completion) sheet.completion(SavePanel::Response::Cancel, {});
            });
          }
        });
  }

  mutable std::mutex mutex_;
  std::map<std::uint64_t, Sheet> sheets_;
};

void finish(Sheet sheet, SavePanel::Response response, std::string path) {
  auto run = [sheet = std::move(sheet), response, path = std::move(path)] {
    if (sheet.completion) sheet.completion(response, path);
  };
  if (MainQueue::shared().isMainThread()) {
    run();
  } else {
    MainQueue::shared().async(std::move(run));
  }
}

}  // namespace

std::string SavePanel::effectiveDirectory() const {
  if (directory) return *directory;
  const char* home = std::getenv("HOME");
  return home && *home == '/' ? home : "/";
}

bool SavePanel::beginSheet(std::shared_ptr<SavePanel> panel, const Window& window,
                           Completion completion) {
  auto registered = WindowRegistry::shared().find(window.handle());
  if (!panel || !window.isOpen() || !registered || SavePanel::sheetOf(window.handle())) {
    return false;
  }
  const auto attached = registered->attachSheet("NSSavePanel");
  return Sheets::shared().attach(window.handle(),
                                 Sheet{std::move(panel), std::move(completion), attached});
}

std::shared_ptr<SavePanel> SavePanel::sheetOf(std::uint64_t windowHandle) {
  return Sheets::shared().find(windowHandle);
}

bool SavePanel::endSheet(std::uint64_t windowHandle, std::optional<std::string> path) {
  auto sheet = Sheets::shared().detach(windowHandle);
  if (!sheet) return false;
  if (!path) {
    finish(std::move(*sheet), Response::Cancel, {});
    return true;
  }
  std::filesystem::path chosen(*path);
  if (chosen.is_relative()) chosen = sheet->panel->effectiveDirectory() / chosen;
  finish(std::move(*sheet), Response::OK, chosen.lexically_normal().string());
  return true;
}

}  // namespace velquarin::platform
