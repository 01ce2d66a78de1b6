#include "tray/StatusNotifierItem.h"

#include <unistd.h>

#include <cstring>

#include "appearance/Appearance.h"
#include "bundle/Bundle.h"
#include "bus/MainLoopBus.h"
#include "bus/SdBusLibrary.h"
#include "logging/Log.h"
#include "menus/StatusBar.h"
#include "notificationcenter/NotificationCenter.h"
#include "runloop/MainQueue.h"
#include "tray/DBusMenu.h"
#include "tray/TrayPresentation.h"

namespace velquarin::platform {

#define TRAY_LOG(level, text) \
  Log::write(level, {"tray/StatusNotifierItem", __func__, __LINE__}, text)

struct StatusNotifierItem::Impl {
  bool started = false;
  bool syncQueued = false;
  std::unique_ptr<MainLoopBus> bus;
  bool busUnusable = false;  // none at start, or lost: logged once, never retried
  SdBusSlotHandle itemSlot;
  SdBusSlotHandle watcherMatch;
  SdBusSlotHandle nameRequest;
  SdBusSlotHandle registration;
  std::weak_ptr<StatusItem> item;
  DBusMenu menu{[this]() -> std::shared_ptr<Menu> {
    auto current = item.lock();
    return current ? current->menu() : nullptr;
  }};

  bool shown = false;
  bool owned = false;
  bool registered = false;
  bool watcher = false;
  unsigned serial = 0;
  std::string busName;

  std::string id;
  std::string title;
  std::string status = "Active";
  std::string label;
  std::vector<IconPixmap> pixmaps;
  std::shared_ptr<Image> pixmapsOf;
  bool pixmapsTemplate = false;
  Color pixmapsTint;

  static constexpr unsigned kMaxRetries = 5;
  unsigned retries = 0;
  TimerId retryTimer = 0;

  bool loggedNoWatcher = false;
  bool loggedNameTaken = false;
  bool loggedRegistrationError = false;

  bool alive() const { return bus && !bus->lost(); }
  void scheduleSync();
  void sync();
  void updateLook(const StatusItem& current);
  void show();
  void hide();
  bool ensureConnection();
  void registerWithWatcher();
  void retryLater();
  void emit(const char* member, const char* types = nullptr, const char* first = nullptr,
            const char* second = nullptr);
};

namespace {

using Impl = StatusNotifierItem::Impl;

int appendPixmaps(sd_bus_message* reply, const std::vector<IconPixmap>& pixmaps) {
  int r = sd_bus_message_open_container(reply, 'a', "(iiay)");
  for (const auto& pixmap : pixmaps) {
    if (r >= 0) r = sd_bus_message_open_container(reply, 'r', "iiay");
    if (r >= 0) r = sd_bus_message_append(reply, "ii", pixmap.size, pixmap.size);
    if (r >= 0) r = sd_bus_message_append_array(reply, 'y', pixmap.argb.data(), pixmap.argb.size());
    if (r >= 0) r = sd_bus_message_close_container(reply);
  }
  return r < 0 ? r : sd_bus_message_close_container(reply);
}

int getItemProperty(sd_bus*, const char*, const char*, const char* property, sd_bus_message* reply,
                    void* userdata, sd_bus_error*) {
  const Impl& impl = *static_cast<Impl*>(userdata);
  const std::string_view name(property);
  const auto text = [&](const std::string& value) {
    return sd_bus_message_append(reply, "s", value.c_str());
  };
  if (name == "Category") return text("Communications");
  if (name == "Id") return text(impl.id);
  if (name == "Title") return text(impl.title);
  if (name == "Status") return text(impl.status);
  if (name == "WindowId") return sd_bus_message_append(reply, "i", 0);
  if (name == "IconPixmap") return appendPixmaps(reply, impl.pixmaps);
  if (name == "AttentionIconPixmap" || name == "OverlayIconPixmap") return appendPixmaps(reply, {});
  if (name == "ItemIsMenu") return sd_bus_message_append(reply, "b", 1);
  if (name == "Menu") return sd_bus_message_append(reply, "o", DBusMenu::kPath);
  if (name == "XAyatanaLabel") return text(impl.label);
  if (name == "ToolTip") {
    // Panels may read the body as markup: the host's text is shown as it is.
    int r = sd_bus_message_open_container(reply, 'r', "sa(iiay)ss");
    if (r >= 0) r = sd_bus_message_append(reply, "s", "");
    if (r >= 0) r = appendPixmaps(reply, {});
    if (r >= 0) r = sd_bus_message_append(reply, "s", impl.title.c_str());
    if (r >= 0) r = sd_bus_message_append(reply, "s", escapeMarkup(impl.label).c_str());
    return r < 0 ? r : sd_bus_message_close_container(reply);
  }
  return text("");  // the icon names, the theme path, the label guide
}

// A click on the icon: panels show the menu themselves (ItemIsMenu), so there is nothing to do.
int onClick(sd_bus_message* call, void*, sd_bus_error*) {
  return sd_bus_reply_method_return(call, "");
}

// Built on first use: the start element names the format of the library, open by then.
const sd_bus_vtable* itemVtable() {
  static const sd_bus_vtable table[] = {
      sdBusVtableStart(),
      SD_BUS_PROPERTY("Category", "s", getItemProperty, 0, SD_BUS_VTABLE_PROPERTY_CONST),
      SD_BUS_PROPERTY("Id", "s", getItemProperty, 0, SD_BUS_VTABLE_PROPERTY_CONST),
      SD_BUS_PROPERTY("Title", "s", getItemProperty, 0, 0),
      SD_BUS_PROPERTY("Status", "s", getItemProperty, 0, 0),
      SD_BUS_PROPERTY("WindowId", "i", getItemProperty, 0, SD_BUS_VTABLE_PROPERTY_CONST),
      SD_BUS_PROPERTY("IconName", "s", getItemProperty, 0, 0),
      SD_BUS_PROPERTY("IconPixmap", "a(iiay)", getItemProperty, 0, 0),
      SD_BUS_PROPERTY("OverlayIconName", "s", getItemProperty, 0, 0),
      SD_BUS_PROPERTY("OverlayIconPixmap", "a(iiay)", getItemProperty, 0, 0),
      SD_BUS_PROPERTY("AttentionIconName", "s", getItemProperty, 0, 0),
      SD_BUS_PROPERTY("AttentionIconPixmap", "a(iiay)", getItemProperty, 0, 0),
      SD_BUS_PROPERTY("AttentionMovieName", "s", getItemProperty, 0, 0),
      SD_BUS_PROPERTY("IconThemePath", "s", getItemProperty, 0, 0),
      SD_BUS_PROPERTY("ToolTip", "(sa(iiay)ss)", getItemProperty, 0, 0),
      SD_BUS_PROPERTY("ItemIsMenu", "b", getItemProperty, 0, SD_BUS_VTABLE_PROPERTY_CONST),
      SD_BUS_PROPERTY("Menu", "o", getItemProperty, 0, SD_BUS_VTABLE_PROPERTY_CONST),
      SD_BUS_PROPERTY("XAyatanaLabel", "s", getItemProperty, 0, 0),
      SD_BUS_PROPERTY("XAyatanaLabelGuide", "s", getItemProperty, 0, 0),
      SD_BUS_METHOD("ContextMenu", "ii", "", onClick, 0),
      SD_BUS_METHOD("Activate", "ii", "", onClick, 0),
      SD_BUS_METHOD("SecondaryActivate", "ii", "", onClick, 0),
      SD_BUS_METHOD("Scroll", "is", "", onClick, 0),
      SD_BUS_SIGNAL("NewTitle", "", 0),
      SD_BUS_SIGNAL("NewIcon", "", 0),
      SD_BUS_SIGNAL("NewAttentionIcon", "", 0),
      SD_BUS_SIGNAL("NewOverlayIcon", "", 0),
      SD_BUS_SIGNAL("NewToolTip", "", 0),
      SD_BUS_SIGNAL("NewStatus", "s", 0),
      SD_BUS_SIGNAL("XAyatanaNewLabel", "ss", 0),
      SD_BUS_VTABLE_END};
  return table;
}

bool isNoWatcherError(const sd_bus_error* error) {
  return sd_bus_error_has_name(error, SD_BUS_ERROR_SERVICE_UNKNOWN) ||
         sd_bus_error_has_name(error, SD_BUS_ERROR_NAME_HAS_NO_OWNER);
}

int onRegistered(sd_bus_message* reply, void* userdata, sd_bus_error*) {
  Impl& impl = *static_cast<Impl*>(userdata);
  impl.registration.reset();
  if (!sd_bus_message_is_method_error(reply, nullptr)) {
    impl.retries = 0;
    impl.registered = true;
    impl.watcher = true;
    TRAY_LOG(LogLevel::Info, "The status item is on the panel as " + impl.busName);
    return 0;
  }
  const sd_bus_error* error = sd_bus_message_get_error(reply);
  impl.registered = false;
  if (isNoWatcherError(error)) {
    impl.watcher = false;
    if (!impl.loggedNoWatcher) {
      impl.loggedNoWatcher = true;
      TRAY_LOG(LogLevel::Info,
               "No StatusNotifierWatcher on the session bus: the status item stays in-process "
               "until a panel starts one");
    }
    return 0;
  }
  // A watcher may take its name a moment before it serves: ask again a few times.
  if (impl.retries < Impl::kMaxRetries) {
    ++impl.retries;
    impl.retryLater();
    return 0;
  }
  if (!impl.loggedRegistrationError) {
    impl.loggedRegistrationError = true;
    TRAY_LOG(LogLevel::Warning, std::string("The StatusNotifierWatcher refused the status item (") +
                                    (error && error->name ? error->name : "unknown") + ": " +
                                    (error && error->message ? error->message : "no reason given") +
                                    ")");
  }
  return 0;
}

int onNameReply(sd_bus_message* reply, void* userdata, sd_bus_error*) {
  Impl& impl = *static_cast<Impl*>(userdata);
  impl.nameRequest.reset();
  std::uint32_t answer = 0;
  // 1: the owner now, 4: already it; an error or 2/3: someone else has it.
  const bool failed = sd_bus_message_is_method_error(reply, nullptr) ||
                      sd_bus_message_read(reply, "u", &answer) < 0 || (answer != 1 && answer != 4);
  if (failed) {
    if (!impl.loggedNameTaken) {
      impl.loggedNameTaken = true;
      TRAY_LOG(LogLevel::Warning, "Could not take the bus name " + impl.busName +
                                      "; the status item stays in-process");
    }
    impl.busName.clear();
    return 0;
  }
  impl.owned = true;
  impl.registerWithWatcher();
  return 0;
}

int onWatcherOwner(sd_bus_message* message, void* userdata, sd_bus_error*) {
  Impl& impl = *static_cast<Impl*>(userdata);
  const char* name = nullptr;
  const char* before = nullptr;
  const char* after = nullptr;
  if (sd_bus_message_read(message, "sss", &name, &before, &after) < 0 || !name ||
      std::strcmp(name, StatusNotifierItem::kWatcher) != 0) {
    return 0;
  }
  impl.registered = false;
  impl.retries = 0;
  impl.watcher = after && *after;
  // A watcher that started or restarted knows nothing of the item yet.
  if (impl.watcher && impl.shown && impl.owned) impl.registerWithWatcher();
  return 0;
}

}  // namespace

void Impl::emit(const char* member, const char* types, const char* first, const char* second) {
  if (!alive() || !shown) return;
  sd_bus_emit_signal(bus->get(), StatusNotifierItem::kPath, StatusNotifierItem::kInterface, member,
                     types, first, second);
  bus->rearm();
}

void Impl::scheduleSync() {
  // One sync for the several changes one redraw of the item makes.
  if (syncQueued) return;
  syncQueued = true;
  MainQueue::shared().async([this] {
    syncQueued = false;
    sync();
  });
}

void Impl::sync() {
  const auto& items = StatusBar::system().items();
  auto current = items.empty() ? nullptr : items.front();
  item = current;
  if (!current) return hide();
  updateLook(*current);
  if (!shown) show();
}

void Impl::updateLook(const StatusItem& current) {
  const std::string newStatus = current.needsAttention() ? "NeedsAttention" : "Active";
  if (newStatus != status) {
    status = newStatus;
    emit("NewStatus", "s", status.c_str());
  }
  const std::string newLabel = plainPanelText(current.title().value_or(""), kMaxLabelCharacters);
  if (newLabel != label) {
    label = newLabel;
    emit("XAyatanaNewLabel", "ss", label.c_str(), "");
    emit("NewToolTip");
  }
  const Color tint = panelTemplateColor();
  const bool sameTint = tint.red == pixmapsTint.red && tint.green == pixmapsTint.green &&
                        tint.blue == pixmapsTint.blue && tint.alpha == pixmapsTint.alpha;
  if (current.image() != pixmapsOf || current.imageIsTemplate() != pixmapsTemplate ||
      (pixmapsTemplate && !sameTint)) {
    pixmapsOf = current.image();
    pixmapsTemplate = current.imageIsTemplate();
    pixmapsTint = tint;
    pixmaps = pixmapsOf ? makeIconPixmaps(*pixmapsOf, pixmapsTemplate ? &tint : nullptr)
                        : std::vector<IconPixmap>();
    emit("NewIcon");
  }
}

bool Impl::ensureConnection() {
  if (alive()) return true;
  if (busUnusable) return false;
  std::string error;
  bus = MainLoopBus::openSession(&error);
  if (!bus) {
    busUnusable = true;
    TRAY_LOG(LogLevel::Warning,
             "No session bus (" + error + "): the status item is not shown on the panel");
    return false;
  }
  bus->setOnLost([this](const std::string& reason) {
    busUnusable = true;
    owned = registered = watcher = false;
    busName.clear();
    TRAY_LOG(LogLevel::Warning, "Lost the session bus (" + reason +
                                    "): the status item left the panel and stays in-process");
  });
  sd_bus* raw = bus->get();
  sd_bus_slot* slot = nullptr;
  int r = sd_bus_add_object_vtable(raw, &slot, StatusNotifierItem::kPath,
                                   StatusNotifierItem::kInterface, itemVtable(), this);
  if (r >= 0) {
    itemSlot.reset(slot);
    r = menu.exportOn(*bus);
  }
  slot = nullptr;
  if (r >= 0) {
    r = sd_bus_add_match_async(raw, &slot,
                               "type='signal',sender='org.freedesktop.DBus',"
                               "interface='org.freedesktop.DBus',member='NameOwnerChanged',"
                               "arg0='org.kde.StatusNotifierWatcher'",
                               onWatcherOwner, nullptr, this);
  }
  if (r < 0) {
    busUnusable = true;
    TRAY_LOG(LogLevel::Warning,
             std::string("Could not offer the status item on the bus (") + std::strerror(-r) + ")");
    itemSlot.reset();
    menu.unexport();
    bus.reset();
    return false;
  }
  watcherMatch.reset(slot);
  bus->rearm();
  return true;
}

void Impl::show() {
  shown = true;
  if (!ensureConnection()) return;
  busName =
      "org.kde.StatusNotifierItem-" + std::to_string(getpid()) + "-" + std::to_string(++serial);
  sd_bus_slot* slot = nullptr;
  // Never replacing nor queueing: a name someone holds is logged, not fought over.
  if (sd_bus_request_name_async(bus->get(), &slot, busName.c_str(), 0, onNameReply, this) >= 0) {
    nameRequest.reset(slot);
  }
  bus->rearm();
}

void Impl::hide() {
  if (!shown) return;
  shown = false;
  registered = false;
  nameRequest.reset();  // a pending answer is no longer wanted
  registration.reset();
  if (retryTimer != 0) MainQueue::shared().cancel(retryTimer);
  retryTimer = 0;
  // Giving up the name is what takes the item off the panel: the watcher follows its owner.
  if (owned && alive()) {
    sd_bus_release_name_async(bus->get(), nullptr, busName.c_str(), nullptr, nullptr);
    bus->rearm();
  }
  owned = false;
  busName.clear();
}

void Impl::retryLater() {
  if (retryTimer != 0) MainQueue::shared().cancel(retryTimer);
  retryTimer = MainQueue::shared().after(0.5, [this] {
    retryTimer = 0;
    if (shown && owned && !registered && !registration) registerWithWatcher();
  });
}

void Impl::registerWithWatcher() {
  if (!alive() || !owned) return;
  sd_bus_slot* slot = nullptr;
  if (sd_bus_call_method_async(bus->get(), &slot, StatusNotifierItem::kWatcher,
                               "/StatusNotifierWatcher", StatusNotifierItem::kWatcher,
                               "RegisterStatusNotifierItem", onRegistered, this, "s",
                               busName.c_str()) >= 0) {
    registration.reset(slot);
  }
  bus->rearm();
}

StatusNotifierItem::StatusNotifierItem() : impl_(std::make_unique<Impl>()) {}

StatusNotifierItem& StatusNotifierItem::shared() {
  static auto* item = new StatusNotifierItem();  // lives as long as the process
  return *item;
}

void StatusNotifierItem::start() {
  Impl& impl = *impl_;
  if (impl.started) return;
  impl.started = true;
  const auto bundle = Bundle::main();
  impl.id = bundle ? bundle->identifier().value_or("") : "";
  impl.title = plainPanelText(
      bundle ? bundle->infoString("CFBundleName").value_or(impl.id) : impl.id, kMaxLabelCharacters);
  impl.id = plainPanelText(impl.id, kMaxLabelCharacters);
  StatusBar::system().addChangeObserver([&impl] { impl.scheduleSync(); });
  // A template icon takes the panel's colour, which follows the desktop's appearance.
  NotificationCenter::distributedCenter().addObserver(
      std::string(Appearance::kThemeChangedNotification), nullptr,
      NotificationCenter::Delivery::MainQueue, [&impl](const auto&) { impl.scheduleSync(); });
  impl.scheduleSync();
}

TrayState StatusNotifierItem::state() const {
  const Impl& impl = *impl_;
  TrayState state;
  state.connected = impl.alive();
  state.shown = impl.shown;
  state.registered = impl.registered;
  state.watcher = impl.watcher;
  state.busName = impl.owned ? impl.busName : "";
  state.status = impl.status;
  state.label = impl.label;
  for (const auto& pixmap : impl.pixmaps) state.iconSizes.push_back(pixmap.size);
  state.menuRevision = impl.menu.revision();
  return state;
}

}  // namespace velquarin::platform
