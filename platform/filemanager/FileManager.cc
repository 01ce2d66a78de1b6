#include "filemanager/FileManager.h"

#include <cstring>

#include "logging/Log.h"

namespace velquarin::platform {
namespace {

constexpr const char* kService = "org.freedesktop.FileManager1";
constexpr const char* kPath = "/org/freedesktop/FileManager1";
constexpr const char* kInterface = "org.freedesktop.FileManager1";
constexpr std::uint64_t kCallTimeoutUsec = 5'000'000;

#define FILE_MANAGER_LOG(level, text) \
  Log::write(level, {"filemanager/FileManager", __func__, __LINE__}, text)

}  // namespace

FileManager& FileManager::shared() {
  // Never destroyed: a reply may still arrive while the process exits.
  static FileManager* manager = new FileManager();
  return *manager;
}

bool FileManager::connect() {
  if (bus_ && !bus_->lost()) return true;
  std::string error;
  bus_ = MainLoopBus::openSession(&error);
  if (!bus_) {
    FILE_MANAGER_LOG(LogLevel::Warning, "No session bus for the file manager: " + error);
    return false;
  }
  bus_->setOnLost([this](const std::string& reason) {
    FILE_MANAGER_LOG(LogLevel::Warning, "The file manager's bus connection broke: " + reason);
    pending_ = 0;
    hold_.reset();
  });
  return true;
}

void FileManager::answered() {
  if (pending_ > 0 && --pending_ == 0) hold_.reset();
}

int FileManager::onReply(sd_bus_message* reply, void* userdata, sd_bus_error*) {
  auto* self = static_cast<FileManager*>(userdata);
  if (sd_bus_message_is_method_error(reply, nullptr)) {
    const sd_bus_error* error = sd_bus_message_get_error(reply);
    FILE_MANAGER_LOG(LogLevel::Warning, std::string("The file manager did not show the items: ") +
                                            (error && error->name ? error->name : "unknown error") +
                                            ": " + (error && error->message ? error->message : ""));
  }
  self->answered();
  return 0;
}

void FileManager::call(const char* method, const std::vector<std::string>& uris,
                       const std::string& startupId) {
  if (uris.empty() || !connect()) return;
  sd_bus_message* raw = nullptr;
  int r = sd_bus_message_new_method_call(bus_->get(), &raw, kService, kPath, kInterface, method);
  const SdBusMessageHandle message(raw);
  if (r >= 0) r = sd_bus_message_open_container(message.get(), 'a', "s");
  for (const auto& uri : uris) {
    if (r >= 0) r = sd_bus_message_append_basic(message.get(), 's', uri.c_str());
  }
  if (r >= 0) r = sd_bus_message_close_container(message.get());
  if (r >= 0) r = sd_bus_message_append_basic(message.get(), 's', startupId.c_str());
  if (r >= 0) {
    r = sd_bus_call_async(bus_->get(), nullptr, message.get(), &FileManager::onReply, this,
                          kCallTimeoutUsec);
  }
  if (r < 0) {
    FILE_MANAGER_LOG(LogLevel::Warning,
                     std::string("Could not ask the file manager: ") + std::strerror(-r));
    return;
  }
  ++pending_;
  if (!hold_) hold_ = std::make_unique<MainQueue::KeepAlive>();
  bus_->rearm();
}

void FileManager::showItemProperties(const std::vector<std::string>& uris,
                                     const std::string& startupId) {
  call("ShowItemProperties", uris, startupId);
}

void FileManager::showItems(const std::vector<std::string>& uris, const std::string& startupId) {
  call("ShowItems", uris, startupId);
}

}  // namespace velquarin::platform
