#pragma once

#include <systemd/sd-bus.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <variant>
#include <vector>

#include "bus/MainLoopBus.h"
#include "menus/Menu.h"

namespace velquarin::platform {

// A menu of the platform offered as com.canonical.dbusmenu, so that a panel shows it and
// acts on it: AboutToShow lets the menu's delegate fill it (as a click on the in-process item
// does), the layout is read from the items, and a click on an entry performs its action.
//
// Every change of the menu's items starts a new layout revision with new ids (never reused),
// so an event for an entry of an older revision finds nothing and does nothing. Main thread.
class DBusMenu {
 public:
  static constexpr const char* kPath = "/MenuBar";
  static constexpr const char* kInterface = "com.canonical.dbusmenu";
  // Beyond these the layout is cut (a panel cannot show more, and the bus limits a message).
  static constexpr std::size_t kMaxEntries = 4096;
  static constexpr int kMaxDepth = 16;
  static constexpr std::size_t kMaxLabelCharacters = 256;
  static constexpr std::size_t kMaxCachedIcons = 256;

  using MenuSource = std::function<std::shared_ptr<Menu>()>;
  explicit DBusMenu(MenuSource source);
  ~DBusMenu();
  DBusMenu(const DBusMenu&) = delete;
  DBusMenu& operator=(const DBusMenu&) = delete;

  // Serves the menu at kPath on `bus` (kept, not owned, for signals). Negative errno.
  int exportOn(MainLoopBus& bus);
  void unexport();
  std::uint32_t revision() const { return revision_; }

  struct Node {
    std::int32_t id = 0;
    std::shared_ptr<MenuItem> item;  // null for the root
    std::vector<std::size_t> children;
    const Image* pngOf = nullptr;  // the image `png` was made from
    std::shared_ptr<const std::vector<std::uint8_t>> png;
  };

  // The method handlers (sd-bus calls them with this object as user data).
  int getLayout(sd_bus_message* call, sd_bus_error* error);
  int getGroupProperties(sd_bus_message* call, sd_bus_error* error);
  int getProperty(sd_bus_message* call, sd_bus_error* error);
  int event(sd_bus_message* call, sd_bus_error* error);
  int eventGroup(sd_bus_message* call, sd_bus_error* error);
  int aboutToShow(sd_bus_message* call, sd_bus_error* error);
  int aboutToShowGroup(sd_bus_message* call, sd_bus_error* error);

 private:
  // Takes a new revision when the menu's items are not the ones of the current one; true
  // when it did.
  bool refreshLayout();
  bool aboutToShow(std::int32_t id);
  void handleEvent(std::int32_t id, const std::string& type);
  void addChildren(const Menu& menu, std::size_t parent, int depth);
  const Node* nodeWithId(std::int32_t id) const;
  int appendLayout(sd_bus_message* reply, std::size_t index, int depth,
                   const std::vector<std::string>& names);
  // One property of an entry: its key and value (`bytes` for icon-data, an "ay").
  struct Property {
    const char* key;
    std::variant<bool, std::int32_t, std::string> value;
    const std::vector<std::uint8_t>* bytes;
  };
  std::vector<Property> propertiesOf(std::size_t index);
  std::shared_ptr<const std::vector<std::uint8_t>> pngOf(const Image& image);
  static int appendValue(sd_bus_message* message, const Property& property);
  int appendProperties(sd_bus_message* reply, std::size_t index,
                       const std::vector<std::string>& names);
  void emitLayoutUpdated();

  MenuSource source_;
  MainLoopBus* bus_ = nullptr;
  SdBusSlotHandle slot_;
  std::uint32_t revision_ = 0;
  std::int32_t nextId_ = 1;
  std::shared_ptr<Menu> menu_;
  std::vector<const void*> shape_;  // the menus and items of the revision, in walk order
  std::vector<Node> nodes_;         // [0] is the root, id 0
  std::unordered_map<std::int32_t, std::size_t> byId_;
  bool updating_ = false;
  bool shownThisTurn_ = false;
  bool warnedCut_ = false;
  std::unordered_map<std::string, std::shared_ptr<const std::vector<std::uint8_t>>> pngCache_;
};

}  // namespace velquarin::platform
