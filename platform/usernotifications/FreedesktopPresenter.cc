#include "usernotifications/FreedesktopPresenter.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <variant>

#include "bundle/Bundle.h"
#include "bus/SdBusLibrary.h"
#include "files/FileDescriptor.h"
#include "logging/Log.h"
#include "runloop/MainQueue.h"
#include "sound/Sound.h"

namespace velquarin::platform {
namespace {

constexpr const char* kService = "org.freedesktop.Notifications";
constexpr const char* kPath = "/org/freedesktop/Notifications";
constexpr const char* kInterface = "org.freedesktop.Notifications";
constexpr std::uint64_t kCallTimeoutUsec = 3'000'000;
constexpr std::uint32_t kDismissedByUser = 2;

#define PRESENTER_LOG(level, text) \
  Log::write(level, {"usernotifications/FreedesktopPresenter", __func__, __LINE__}, text)

struct BusCloser {
  void operator()(sd_bus* bus) const { sd_bus_flush_close_unref(bus); }
};
using BusHandle = std::unique_ptr<sd_bus, BusCloser>;

struct MessageUnref {
  void operator()(sd_bus_message* message) const { sd_bus_message_unref(message); }
};
using MessageHandle = std::unique_ptr<sd_bus_message, MessageUnref>;

struct SlotUnref {
  void operator()(sd_bus_slot* slot) const { sd_bus_slot_unref(slot); }
};
using SlotHandle = std::unique_ptr<sd_bus_slot, SlotUnref>;

class BusError {
 public:
  BusError() = default;
  ~BusError() { sd_bus_error_free(&error_); }
  BusError(const BusError&) = delete;
  BusError& operator=(const BusError&) = delete;
  sd_bus_error* get() { return &error_; }
  const char* message() const { return error_.message ? error_.message : "unknown error"; }

 private:
  sd_bus_error error_ = SD_BUS_ERROR_NULL;
};

struct Show {
  UserNotification notification;
};
struct Withdraw {
  std::string identifier;
};
struct Stop {};
using Command = std::variant<Show, Withdraw, Stop>;

class Presenter final : public UserNotificationPresenter {
 public:
  explicit Presenter(UserNotificationCenter& center)
      : center_(center), wake_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
    thread_ = std::thread([this] { run(); });
  }

  ~Presenter() override {
    post(Stop{});
    if (thread_.joinable()) thread_.join();
  }

  void show(const UserNotification& notification) override { post(Show{notification}); }
  void withdraw(const std::string& identifier) override { post(Withdraw{identifier}); }

 private:
  // What the bus thread knows of a notification it showed for an identifier.
  // One Notify call at a time per identifier: a show that comes while one is unanswered
  // waits (only the latest), so a reused identifier always replaces and never piles up.
  struct Entry {
    std::uint64_t token = 0;      // the unanswered Notify call, 0 when none
    std::uint32_t serverId = 0;   // 0 until the server answered
    bool closeWhenKnown = false;  // withdrawn before the server answered
    bool activated = false;       // a later close is the server's, not the user's dismissal
    std::optional<UserNotification> waiting;
  };

  void post(Command command) {
    {
      std::lock_guard lock(mutex_);
      commands_.push_back(std::move(command));
    }
    const std::uint64_t one = 1;
    if (wake_.get() >= 0) [[maybe_unused]]
      auto written = ::write(wake_.get(), &one, sizeof one);
  }

  // ---- everything below runs on the bus thread ----

  void run() {
    sd_bus* raw = nullptr;
    const int opened = sd_bus_open_user(&raw);
    if (opened < 0 || wake_.get() < 0) {
      PRESENTER_LOG(LogLevel::Warning, "No session bus (" + std::string(std::strerror(-opened)) +
                                           "): notifications are not shown on the desktop");
      drainUntilStop();
      return;
    }
    bus_.reset(raw);
    sd_bus_slot* slot = nullptr;
    if (sd_bus_match_signal(bus_.get(), &slot, nullptr, kPath, kInterface, nullptr,
                            &Presenter::onSignal, this) >= 0) {
      signalSlot_.reset(slot);
    }
    if (sd_bus_match_signal(bus_.get(), &slot, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                            "org.freedesktop.DBus", "NameOwnerChanged", &Presenter::onOwnerChanged,
                            this) >= 0) {
      ownerSlot_.reset(slot);
    }
    refreshCapabilities();

    for (;;) {
      int processed;
      while ((processed = sd_bus_process(bus_.get(), nullptr)) > 0) {
      }
      if (processed < 0) {
        PRESENTER_LOG(LogLevel::Warning, "Lost the session bus (" +
                                             std::string(std::strerror(-processed)) +
                                             "): notifications are no longer shown on the desktop");
        bus_.reset();
        drainUntilStop();
        return;
      }
      if (capabilitiesStale_) refreshCapabilities();
      if (!runCommands()) return;

      pollfd fds[2] = {
          {sd_bus_get_fd(bus_.get()), static_cast<short>(sd_bus_get_events(bus_.get())), 0},
          {wake_.get(), POLLIN, 0}};
      std::uint64_t until = 0;
      int timeout = -1;
      if (sd_bus_get_timeout(bus_.get(), &until) >= 0 && until != UINT64_MAX) {
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        const std::uint64_t nowUsec = static_cast<std::uint64_t>(now.tv_sec) * 1000000 +
                                      static_cast<std::uint64_t>(now.tv_nsec) / 1000;
        timeout = until <= nowUsec ? 0 : static_cast<int>((until - nowUsec + 999) / 1000);
      }
      poll(fds, 2, timeout);
      if (fds[1].revents & POLLIN) {
        std::uint64_t count = 0;
        [[maybe_unused]] auto got = ::read(wake_.get(), &count, sizeof count);
      }
    }
  }

  // Without a bus: forget what is asked until told to stop.
  void drainUntilStop() {
    for (;;) {
      {
        std::lock_guard lock(mutex_);
        for (const Command& command : commands_) {
          if (std::holds_alternative<Stop>(command)) return;
        }
        commands_.clear();
      }
      pollfd fd{wake_.get(), POLLIN, 0};
      if (wake_.get() < 0) return;
      poll(&fd, 1, -1);
      std::uint64_t count = 0;
      [[maybe_unused]] auto got = ::read(wake_.get(), &count, sizeof count);
    }
  }

  bool runCommands() {
    std::deque<Command> commands;
    {
      std::lock_guard lock(mutex_);
      commands.swap(commands_);
    }
    for (Command& command : commands) {
      if (std::holds_alternative<Stop>(command)) return false;
      if (auto* show = std::get_if<Show>(&command)) notify(show->notification);
      if (auto* withdraw = std::get_if<Withdraw>(&command)) close(withdraw->identifier);
    }
    return true;
  }

  void refreshCapabilities() {
    capabilitiesStale_ = false;
    capabilities_.clear();
    BusError error;
    sd_bus_message* raw = nullptr;
    MessageHandle call;
    if (sd_bus_message_new_method_call(bus_.get(), &raw, kService, kPath, kInterface,
                                       "GetCapabilities") < 0)
      return;
    call.reset(raw);
    raw = nullptr;
    if (sd_bus_call(bus_.get(), call.get(), kCallTimeoutUsec, error.get(), &raw) < 0) {
      if (!reportedNoServer_) {
        reportedNoServer_ = true;
        PRESENTER_LOG(LogLevel::Info, std::string("No notification server on the session bus (") +
                                          error.message() +
                                          "): notifications are not shown on the desktop");
      }
      return;
    }
    MessageHandle reply(raw);
    char** list = nullptr;
    if (sd_bus_message_read_strv(reply.get(), &list) >= 0 && list) {
      for (char** item = list; *item; ++item) {
        capabilities_.insert(*item);
        free(*item);
      }
      free(list);
    }
    reportedNoServer_ = false;
  }

  bool can(const char* capability) const { return capabilities_.count(capability) > 0; }

  std::string bodyOf(const UserNotification& n) const {
    std::string body;
    for (const auto* part : {&n.subtitle, &n.informativeText}) {
      if (!*part || (*part)->empty()) continue;
      if (!body.empty()) body += '\n';
      body += **part;
    }
    return can("body-markup") ? escapeNotificationMarkup(body) : body;
  }

  void notify(const UserNotification& n) {
    Entry& entry = entries_[*n.identifier];
    entry.closeWhenKnown = false;
    if (entry.token != 0) {
      entry.waiting = n;
      return;
    }
    send(entry, n);
  }

  void send(Entry& entry, const UserNotification& n) {
    const std::string& identifier = *n.identifier;
    const std::uint32_t replaces = entry.serverId;
    entry.activated = false;

    sd_bus_message* raw = nullptr;
    if (sd_bus_message_new_method_call(bus_.get(), &raw, kService, kPath, kInterface, "Notify") < 0)
      return;
    MessageHandle call(raw);
    const auto bundle = Bundle::main();
    const std::string appName =
        bundle ? bundle->infoString("CFBundleName").value_or("Velquarin") : "Velquarin";
    int r = sd_bus_message_append(call.get(), "susss", appName.c_str(), replaces, "",
                                  n.title.value_or("").c_str(), bodyOf(n).c_str());
    // Actions: the body click, then the reply field or the action button the server supports.
    r = r < 0 ? r : sd_bus_message_open_container(call.get(), 'a', "s");
    if (r >= 0 && can("actions")) {
      r = sd_bus_message_append(call.get(), "ss", "default", "");
      if (r >= 0 && n.hasReplyButton && can("inline-reply")) {
        r = sd_bus_message_append(call.get(), "ss", "inline-reply",
                                  n.responsePlaceholder.value_or("").c_str());
      } else if (r >= 0 && n.hasActionButton && !n.hasReplyButton) {
        r = sd_bus_message_append(call.get(), "ss", "action",
                                  n.actionButtonTitle.value_or("Show").c_str());
      }
    }
    r = r < 0 ? r : sd_bus_message_close_container(call.get());
    r = r < 0 ? r : sd_bus_message_open_container(call.get(), 'a', "{sv}");
    if (r >= 0 && n.soundName) {
      if (const auto path = sound::pathForSoundNamed(*n.soundName)) {
        r = sd_bus_message_append(call.get(), "{sv}", "sound-file", "s", path->c_str());
      }
    }
    if (r >= 0 && n.hasReplyButton && can("inline-reply") && n.responsePlaceholder) {
      r = sd_bus_message_append(call.get(), "{sv}", "x-kde-reply-placeholder-text", "s",
                                n.responsePlaceholder->c_str());
    }
    r = r < 0 ? r : sd_bus_message_close_container(call.get());
    r = r < 0 ? r : sd_bus_message_append(call.get(), "i", -1);
    if (r < 0 || sd_bus_call_async(bus_.get(), nullptr, call.get(), &Presenter::onNotifyReply, this,
                                   kCallTimeoutUsec) < 0) {
      return;
    }
    // The reply carries the call's cookie: that is how it finds the entry it answers.
    std::uint64_t cookie = 0;
    if (sd_bus_message_get_cookie(call.get(), &cookie) >= 0) {
      entry.token = ++nextToken_;
      pendingCalls_[cookie] = {identifier, entry.token};
    }
  }

  void closeOnServer(std::uint32_t serverId) {
    sd_bus_call_method_async(bus_.get(), nullptr, kService, kPath, kInterface, "CloseNotification",
                             nullptr, nullptr, "u", serverId);
  }

  void close(const std::string& identifier) {
    const auto it = entries_.find(identifier);
    if (it == entries_.end()) return;
    if (it->second.token != 0) {
      it->second.closeWhenKnown = true;
      it->second.waiting.reset();
      return;
    }
    closeOnServer(it->second.serverId);
    byServerId_.erase(it->second.serverId);
    entries_.erase(it);
  }

  static int onNotifyReply(sd_bus_message* reply, void* userdata, sd_bus_error*) {
    return static_cast<Presenter*>(userdata)->notifyReplied(reply);
  }

  int notifyReplied(sd_bus_message* reply) {
    std::uint64_t cookie = 0;
    if (sd_bus_message_get_reply_cookie(reply, &cookie) < 0) return 0;
    const auto pending = pendingCalls_.find(cookie);
    if (pending == pendingCalls_.end()) return 0;
    const auto [identifier, token] = pending->second;
    pendingCalls_.erase(pending);
    if (sd_bus_message_is_method_error(reply, nullptr)) {
      const sd_bus_error* error = sd_bus_message_get_error(reply);
      if (!reportedNoServer_) {
        reportedNoServer_ = true;
        PRESENTER_LOG(LogLevel::Info,
                      std::string("The notification server did not show a notification: ") +
                          (error && error->message ? error->message : "unknown error"));
      }
      const auto it = entries_.find(identifier);
      if (it != entries_.end() && it->second.token == token) {
        byServerId_.erase(it->second.serverId);
        entries_.erase(it);
      }
      return 0;
    }
    std::uint32_t serverId = 0;
    if (sd_bus_message_read(reply, "u", &serverId) < 0) serverId = 0;
    const auto it = entries_.find(identifier);
    if (it == entries_.end() || it->second.token != token) {
      // Forgotten meanwhile (the server changed): nothing of ours should stay up.
      if (serverId != 0) closeOnServer(serverId);
      return 0;
    }
    Entry& entry = it->second;
    entry.token = 0;
    if (serverId != 0) {
      if (entry.serverId != 0 && entry.serverId != serverId) byServerId_.erase(entry.serverId);
      entry.serverId = serverId;
      byServerId_[serverId] = identifier;
    }
    if (entry.closeWhenKnown) {
      close(identifier);
    } else if (entry.waiting) {
      const UserNotification next = std::move(*entry.waiting);
      entry.waiting.reset();
      send(entry, next);
    }
    return 0;
  }

  static int onSignal(sd_bus_message* message, void* userdata, sd_bus_error*) {
    static_cast<Presenter*>(userdata)->signal(message);
    return 0;
  }

  void signal(sd_bus_message* message) {
    const char* member = sd_bus_message_get_member(message);
    if (!member) return;
    std::uint32_t serverId = 0;
    if (std::strcmp(member, "ActionInvoked") == 0) {
      const char* action = nullptr;
      if (sd_bus_message_read(message, "us", &serverId, &action) < 0 || !action) return;
      int type = 0;
      if (std::strcmp(action, "default") == 0) {
        type = static_cast<int>(UserNotificationActivation::ContentsClicked);
      } else if (std::strcmp(action, "action") == 0) {
        type = static_cast<int>(UserNotificationActivation::ActionButtonClicked);
      } else {
        return;  // "inline-reply" is followed by NotificationReplied
      }
      if (const std::string* identifier = ours(serverId)) {
        entries_[*identifier].activated = true;
        activate(*identifier, type, std::nullopt);
      }
    } else if (std::strcmp(member, "NotificationReplied") == 0) {
      const char* text = nullptr;
      if (sd_bus_message_read(message, "us", &serverId, &text) < 0 || !text) return;
      if (const std::string* identifier = ours(serverId)) {
        entries_[*identifier].activated = true;
        activate(*identifier, static_cast<int>(UserNotificationActivation::Replied),
                 std::string(text));
      }
    } else if (std::strcmp(member, "NotificationClosed") == 0) {
      std::uint32_t reason = 0;
      if (sd_bus_message_read(message, "uu", &serverId, &reason) < 0) return;
      const std::string* found = ours(serverId);
      if (!found) return;
      const std::string identifier = *found;
      const bool dismissed = reason == kDismissedByUser && !entries_[identifier].activated;
      byServerId_.erase(serverId);
      entries_.erase(identifier);
      if (dismissed) {
        UserNotificationCenter* center = &center_;
        MainQueue::shared().async([center, identifier] { center->dismiss(identifier, false); });
      }
    }
  }

  const std::string* ours(std::uint32_t serverId) const {
    const auto it = byServerId_.find(serverId);
    return it == byServerId_.end() ? nullptr : &it->second;
  }

  void activate(const std::string& identifier, int type, std::optional<std::string> response) {
    UserNotificationCenter* center = &center_;
    MainQueue::shared().async(
        [center, identifier, type, response] { center->activate(identifier, type, response); });
  }

  static int onOwnerChanged(sd_bus_message* message, void* userdata, sd_bus_error*) {
    const char* name = nullptr;
    const char* oldOwner = nullptr;
    const char* newOwner = nullptr;
    if (sd_bus_message_read(message, "sss", &name, &oldOwner, &newOwner) < 0 || !name) return 0;
    if (std::strcmp(name, kService) != 0) return 0;
    // A new server knows nothing of the old one's notifications.
    auto* self = static_cast<Presenter*>(userdata);
    self->entries_.clear();
    self->byServerId_.clear();
    self->pendingCalls_.clear();
    if (newOwner && *newOwner) {
      PRESENTER_LOG(LogLevel::Info, "The notification server changed");
      self->capabilitiesStale_ = true;
    }
    return 0;
  }

  UserNotificationCenter& center_;
  FileDescriptor wake_;
  std::mutex mutex_;
  std::deque<Command> commands_;
  std::thread thread_;

  BusHandle bus_;
  SlotHandle signalSlot_;
  SlotHandle ownerSlot_;
  std::set<std::string> capabilities_;
  bool capabilitiesStale_ = false;
  bool reportedNoServer_ = false;
  std::uint64_t nextToken_ = 0;
  std::map<std::string, Entry> entries_;
  std::map<std::uint32_t, std::string> byServerId_;
  std::map<std::uint64_t, std::pair<std::string, std::uint64_t>> pendingCalls_;  // by cookie
};

}  // namespace

std::string escapeNotificationMarkup(std::string_view text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '&':
        escaped += "&amp;";
        break;
      case '<':
        escaped += "&lt;";
        break;
      case '>':
        escaped += "&gt;";
        break;
      case '"':
        escaped += "&quot;";
        break;
      case '\'':
        escaped += "&apos;";
        break;
      default:
        escaped += c;
    }
  }
  return escaped;
}

// What shows notifications when there is no session bus to try: nothing, and no thread that
// would wait for one.
class Unreachable final : public UserNotificationPresenter {
 public:
  Unreachable() {
    PRESENTER_LOG(LogLevel::Warning, "No session bus (" + std::string(std::strerror(ENOMEDIUM)) +
                                         "): notifications are not shown on the desktop");
  }
  void show(const UserNotification&) override {}
  void withdraw(const std::string&) override {}
};

std::shared_ptr<UserNotificationPresenter> makeFreedesktopPresenter(
    UserNotificationCenter& center) {
  if (!sessionBusAddressGiven()) return std::make_shared<Unreachable>();
  return std::make_shared<Presenter>(center);
}

}  // namespace velquarin::platform
