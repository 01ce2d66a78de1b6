#include "sharing/SharingServicePicker.h"

#include <glib.h>

#include <algorithm>
#include <filesystem>

#include "applications/Applications.h"
#include "filemanager/FileManager.h"
#include "notificationcenter/NotificationCenter.h"
#include "windows/WindowRegistry.h"

namespace velquarin::platform {

namespace {

constexpr const char* kOpenWithPrefix = "open-with:";
constexpr const char* kShowInFolder = "show-in-folder";

std::shared_ptr<SharingServicePicker>& shown() {
  static auto* picker = [] {
    auto* slot = new std::shared_ptr<SharingServicePicker>();
    NotificationCenter::defaultCenter().addObserver(
        kWindowWillCloseNotification, nullptr, NotificationCenter::Delivery::Posting,
        [](const Notification& note) {
          const auto* window = static_cast<const Window*>(note.object);
          if (window && SharingServicePicker::current() &&
              SharingServicePicker::current()->windowHandle() == window->handle()) {
            SharingServicePicker::choose(std::nullopt);
          }
        });
    return slot;
  }();
  return *picker;
}

std::string contentTypeOfPath(const std::string& path) {
  const std::string extension = std::filesystem::path(path).extension().string();
  return contentTypeForExtension(extension.empty() ? "" : extension.substr(1))
      .value_or("application/octet-stream");
}

std::string fileURI(const std::string& path) {
  std::unique_ptr<gchar, decltype(&g_free)> uri(g_filename_to_uri(path.c_str(), nullptr, nullptr),
                                                &g_free);
  return uri ? std::string(uri.get()) : std::string();
}

}  // namespace

SharingServicePicker::SharingServicePicker(std::vector<std::string> items)
    : items_(std::move(items)) {}

std::shared_ptr<SharingServicePicker> SharingServicePicker::current() {
  return shown();
}

std::vector<SharingService> SharingServicePicker::proposedServices(
    const std::vector<std::string>& items) {
  std::vector<SharingService> services;
  if (items.empty()) return services;
  const std::string firstType = contentTypeOfPath(items.front());
  auto candidates = applicationsForContentType(firstType);
  const auto defaultId = defaultApplicationIdForContentType(firstType);
  std::stable_partition(candidates.begin(), candidates.end(),
                        [&](const InstalledApplication& app) { return app.id == defaultId; });
  for (const auto& app : candidates) {
    const bool opensAll = std::all_of(items.begin() + 1, items.end(), [&](const std::string& item) {
      const auto others = applicationsForContentType(contentTypeOfPath(item));
      return std::any_of(others.begin(), others.end(),
                         [&](const InstalledApplication& other) { return other.id == app.id; });
    });
    if (opensAll) services.push_back({kOpenWithPrefix + app.id, "Open with " + app.name});
  }
  services.push_back({kShowInFolder, "Show in Folder"});
  return services;
}

void SharingServicePicker::show(const std::shared_ptr<SharingServicePicker>& picker,
                                std::uint64_t windowHandle, Rect anchor, Edge edge) {
  picker->window_ = windowHandle;
  picker->anchor_ = anchor;
  picker->edge_ = edge;
  auto proposed = proposedServices(picker->items_);
  picker->services_ = picker->delegate
                          ? picker->delegate->servicesForItems(picker->items_, std::move(proposed))
                          : std::move(proposed);
  // A new picker replaces the one open, which is dismissed.
  if (current()) choose(std::nullopt);
  if (WindowRegistry::shared().find(windowHandle)) shown() = picker;
}

bool SharingServicePicker::choose(const std::optional<std::string>& serviceId, std::string* error) {
  auto picker = std::exchange(shown(), nullptr);
  if (!picker) return false;
  std::optional<SharingService> chosen;
  if (serviceId) {
    const auto found =
        std::find_if(picker->services_.begin(), picker->services_.end(),
                     [&](const SharingService& service) { return service.id == *serviceId; });
    if (found == picker->services_.end()) {
      shown() = picker;  // still open: nothing was chosen
      if (error) *error = "no such service";
      return false;
    }
    chosen = *found;
  }
  if (picker->delegate) picker->delegate->didChooseService(chosen);
  return !chosen || perform(*chosen, picker->items_, error);
}

bool SharingServicePicker::perform(const SharingService& service,
                                   const std::vector<std::string>& items, std::string* error) {
  if (service.id == kShowInFolder) {
    std::vector<std::string> uris;
    for (const auto& item : items) {
      if (auto uri = fileURI(item); !uri.empty()) uris.push_back(uri);
    }
    FileManager::shared().showItems(uris);
    return true;
  }
  return openFiles(items, service.id.substr(std::string(kOpenWithPrefix).size()), error);
}

}  // namespace velquarin::platform
