#include "filemanager/FileManager.h"

#include <poll.h>
#include <systemd/sd-bus.h>
#include <time.h>

#include <cstring>
#include <optional>

#include "logging/Log.h"
#include "runloop/FdWatch.h"
#include "runloop/MainQueue.h"

namespace velquarin::platform {
namespace {

constexpr const char* kService = "org.freedesktop.FileManager1";
constexpr const char* kPath = "/org/freedesktop/FileManager1";
constexpr const char* kInterface = "org.freedesktop.FileManager1";
constexpr std::uint64_t kCallTimeoutUsec = 5'000'000;

#define FILE_MANAGER_LOG(level, text) \
  Log::write(level, {"filemanager/FileManager", __func__, __LINE__}, text)

struct BusCloser {
  void operator()(sd_bus* bus) const { sd_bus_flush_close_unref(bus); }
};
struct MessageUnref {
  void operator()(sd_bus_message* message) const { sd_bus_message_unref(message); }
};
using MessageHandle = std::unique_ptr<sd_bus_message, MessageUnref>;

std::uint64_t monotonicUsec() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::uint64_t>(now.tv_sec) * 1'000'000 +
         static_cast<std::uint64_t>(now.tv_nsec) / 1000;
}

}  // namespace

// The bus connection and its watch on the main loop. Replies run on the main thread from
// process(); a broken connection is dropped and the next call opens a new one.
struct FileManager::Connection : std::enable_shared_from_this<FileManager::Connection> {
  std::unique_ptr<sd_bus, BusCloser> bus;
  std::unique_ptr<FdWatch> watch;
  std::optional<TimerId> timer;
  std::size_t pending = 0;

  static std::shared_ptr<Connection> open() {
    sd_bus* raw = nullptr;
    if (const int r = sd_bus_open_user(&raw); r < 0) {
      FILE_MANAGER_LOG(LogLevel::Warning,
                       std::string("No session bus for the file manager: ") + strerror(-r));
      return nullptr;
    }
    auto connection = std::make_shared<Connection>();
    connection->bus.reset(raw);
    std::weak_ptr<Connection> weak = connection;
    connection->watch =
        std::make_unique<FdWatch>(sd_bus_get_fd(raw), kFdReadable, false, [weak](unsigned) {
          if (auto self = weak.lock()) self->process();
        });
    return connection;
  }

  bool broken() const { return !bus; }

  // Runs whatever the bus has for us, then waits for what it waits for next.
  void process() {
    if (!bus) return;
    auto keep = shared_from_this();  // a reply may drop the owner's reference
    int r = 0;
    while ((r = sd_bus_process(bus.get(), nullptr)) > 0) {
    }
    if (r < 0) {
      FILE_MANAGER_LOG(LogLevel::Warning,
                       std::string("The file manager's bus connection broke: ") + strerror(-r));
      close();
      return;
    }
    rearm();
  }

  void rearm() {
    const int events = sd_bus_get_events(bus.get());
    unsigned wanted = 0;
    if (events & POLLIN) wanted |= kFdReadable;
    if (events & POLLOUT) wanted |= kFdWritable;
    watch->update(wanted, pending > 0);
    if (timer) MainQueue::shared().cancel(*timer);
    timer.reset();
    std::uint64_t until = 0;
    if (sd_bus_get_timeout(bus.get(), &until) >= 0 && until != UINT64_MAX) {
      const std::uint64_t now = monotonicUsec();
      const double delay = until > now ? static_cast<double>(until - now) / 1e6 : 0;
      std::weak_ptr<Connection> weak = weak_from_this();
      timer = MainQueue::shared().after(delay, [weak] {
        if (auto self = weak.lock()) {
          self->timer.reset();
          self->process();
        }
      });
    }
  }

  void close() {
    if (timer) MainQueue::shared().cancel(*timer);
    timer.reset();
    watch.reset();
    bus.reset();
    pending = 0;
  }

  static int onReply(sd_bus_message* reply, void* userdata, sd_bus_error*) {
    auto* self = static_cast<Connection*>(userdata);
    if (self->pending > 0) --self->pending;
    if (sd_bus_message_is_method_error(reply, nullptr)) {
      const sd_bus_error* error = sd_bus_message_get_error(reply);
      FILE_MANAGER_LOG(LogLevel::Warning,
                       std::string("The file manager did not show the items: ") +
                           (error && error->name ? error->name : "unknown error") + ": " +
                           (error && error->message ? error->message : ""));
    }
    return 0;
  }

  bool send(const char* method, const std::vector<std::string>& uris,
            const std::string& startupId) {
    sd_bus_message* raw = nullptr;
    if (sd_bus_message_new_method_call(bus.get(), &raw, kService, kPath, kInterface, method) < 0) {
      return false;
    }
    MessageHandle message(raw);
    int r = sd_bus_message_open_container(message.get(), 'a', "s");
    for (const auto& uri : uris) {
      if (r >= 0) r = sd_bus_message_append_basic(message.get(), 's', uri.c_str());
    }
    if (r >= 0) r = sd_bus_message_close_container(message.get());
    if (r >= 0) r = sd_bus_message_append_basic(message.get(), 's', startupId.c_str());
    if (r >= 0) {
      r = sd_bus_call_async(bus.get(), nullptr, message.get(), &Connection::onReply, this,
                            kCallTimeoutUsec);
    }
    if (r < 0) {
      FILE_MANAGER_LOG(LogLevel::Warning,
                       std::string("Could not ask the file manager: ") + strerror(-r));
      return false;
    }
    ++pending;
    rearm();
    return true;
  }
};

FileManager& FileManager::shared() {
  // Never destroyed: a reply may still arrive while the process exits.
  static FileManager* manager = new FileManager();
  return *manager;
}

void FileManager::call(const char* method, const std::vector<std::string>& uris,
                       const std::string& startupId) {
  if (uris.empty()) return;
  if (!connection_ || connection_->broken()) connection_ = Connection::open();
  if (connection_) connection_->send(method, uris, startupId);
}

void FileManager::showItemProperties(const std::vector<std::string>& uris,
                                     const std::string& startupId) {
  call("ShowItemProperties", uris, startupId);
}

void FileManager::showItems(const std::vector<std::string>& uris, const std::string& startupId) {
  call("ShowItems", uris, startupId);
}

std::size_t FileManager::pendingCalls() const {
  return connection_ ? connection_->pending : 0;
}

}  // namespace velquarin::platform
