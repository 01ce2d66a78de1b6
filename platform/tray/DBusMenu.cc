#include "tray/DBusMenu.h"

#include <algorithm>
#include <cstring>

#include "bus/SdBusLibrary.h"
#include "images/ImageTypes.h"
#include "logging/Log.h"
#include "runloop/MainQueue.h"
#include "tray/TrayPresentation.h"

namespace velquarin::platform {

#define MENU_LOG(level, text) Log::write(level, {"tray/DBusMenu", __func__, __LINE__}, text)

namespace {

DBusMenu& self(void* userdata) {
  return *static_cast<DBusMenu*>(userdata);
}

int onGetLayout(sd_bus_message* m, void* u, sd_bus_error* e) {
  return self(u).getLayout(m, e);
}
int onGetGroupProperties(sd_bus_message* m, void* u, sd_bus_error* e) {
  return self(u).getGroupProperties(m, e);
}
int onGetProperty(sd_bus_message* m, void* u, sd_bus_error* e) {
  return self(u).getProperty(m, e);
}
int onEvent(sd_bus_message* m, void* u, sd_bus_error* e) {
  return self(u).event(m, e);
}
int onEventGroup(sd_bus_message* m, void* u, sd_bus_error* e) {
  return self(u).eventGroup(m, e);
}
int onAboutToShow(sd_bus_message* m, void* u, sd_bus_error* e) {
  return self(u).aboutToShow(m, e);
}
int onAboutToShowGroup(sd_bus_message* m, void* u, sd_bus_error* e) {
  return self(u).aboutToShowGroup(m, e);
}

int getMenuProperty(sd_bus*, const char*, const char*, const char* property, sd_bus_message* reply,
                    void* userdata, sd_bus_error*) {
  const std::string_view name(property);
  if (name == "Version") return sd_bus_message_append(reply, "u", 3u);
  if (name == "TextDirection") return sd_bus_message_append(reply, "s", "ltr");
  if (name == "Status") return sd_bus_message_append(reply, "s", "normal");
  if (name == "IconThemePath") return sd_bus_message_append(reply, "as", 0);
  (void)userdata;
  return -EINVAL;
}

// Built on first use: the start element names the format of the library, open by then.
const sd_bus_vtable* menuVtable() {
  static const sd_bus_vtable table[] = {
      sdBusVtableStart(),
      SD_BUS_METHOD("GetLayout", "iias", "u(ia{sv}av)", onGetLayout, 0),
      SD_BUS_METHOD("GetGroupProperties", "aias", "a(ia{sv})", onGetGroupProperties, 0),
      SD_BUS_METHOD("GetProperty", "is", "v", onGetProperty, 0),
      SD_BUS_METHOD("Event", "isvu", "", onEvent, 0),
      SD_BUS_METHOD("EventGroup", "a(isvu)", "ai", onEventGroup, 0),
      SD_BUS_METHOD("AboutToShow", "i", "b", onAboutToShow, 0),
      SD_BUS_METHOD("AboutToShowGroup", "ai", "aiai", onAboutToShowGroup, 0),
      SD_BUS_PROPERTY("Version", "u", getMenuProperty, 0, SD_BUS_VTABLE_PROPERTY_CONST),
      SD_BUS_PROPERTY("TextDirection", "s", getMenuProperty, 0, SD_BUS_VTABLE_PROPERTY_CONST),
      SD_BUS_PROPERTY("Status", "s", getMenuProperty, 0, SD_BUS_VTABLE_PROPERTY_CONST),
      SD_BUS_PROPERTY("IconThemePath", "as", getMenuProperty, 0, SD_BUS_VTABLE_PROPERTY_CONST),
      SD_BUS_SIGNAL("ItemsPropertiesUpdated", "a(ia{sv})a(ias)", 0),
      SD_BUS_SIGNAL("LayoutUpdated", "ui", 0),
      SD_BUS_SIGNAL("ItemActivationRequested", "iu", 0),
      SD_BUS_VTABLE_END};
  return table;
}

// The menus and items below `menu` in walk order (a null closes each menu), within the
// limits the layout keeps.
void collectShape(const Menu& menu, int depth, std::vector<const void*>& shape,
                  std::size_t& entries) {
  shape.push_back(&menu);
  for (const auto& item : menu.items()) {
    if (entries >= DBusMenu::kMaxEntries) break;
    ++entries;
    shape.push_back(item.get());
    if (item->submenu() && depth < DBusMenu::kMaxDepth) {
      collectShape(*item->submenu(), depth + 1, shape, entries);
    }
  }
  shape.push_back(nullptr);
}

int readStrings(sd_bus_message* message, std::vector<std::string>& strings) {
  int r = sd_bus_message_enter_container(message, 'a', "s");
  if (r < 0) return r;
  const char* text = nullptr;
  while ((r = sd_bus_message_read(message, "s", &text)) > 0) strings.emplace_back(text);
  if (r < 0) return r;
  return sd_bus_message_exit_container(message);
}

int readIds(sd_bus_message* message, std::vector<std::int32_t>& ids) {
  const void* data = nullptr;
  std::size_t size = 0;
  const int r = sd_bus_message_read_array(message, 'i', &data, &size);
  if (r < 0) return r;
  const auto* values = static_cast<const std::int32_t*>(data);
  ids.assign(values, values + size / sizeof(std::int32_t));
  return 0;
}

bool wanted(const std::vector<std::string>& names, const char* name) {
  return names.empty() || std::find(names.begin(), names.end(), name) != names.end();
}

int reply(sd_bus_message* call, const char* types, auto... values) {
  return sd_bus_reply_method_return(call, types, values...);
}

}  // namespace

DBusMenu::DBusMenu(MenuSource source) : source_(std::move(source)) {
  nodes_.emplace_back();
  byId_[0] = 0;
}

DBusMenu::~DBusMenu() = default;

int DBusMenu::exportOn(MainLoopBus& bus) {
  sd_bus_slot* slot = nullptr;
  const int r = sd_bus_add_object_vtable(bus.get(), &slot, kPath, kInterface, menuVtable(), this);
  if (r < 0) return r;
  bus_ = &bus;
  slot_.reset(slot);
  return 0;
}

void DBusMenu::unexport() {
  slot_.reset();
  bus_ = nullptr;
}

bool DBusMenu::refreshLayout() {
  auto menu = source_ ? source_() : nullptr;
  std::vector<const void*> shape;
  std::size_t entries = 0;
  if (menu) collectShape(*menu, 0, shape, entries);
  if (menu == menu_ && shape == shape_) return false;

  menu_ = std::move(menu);
  shape_ = std::move(shape);
  ++revision_;
  nodes_.assign(1, Node{});
  byId_.clear();
  byId_[0] = 0;
  if (menu_) addChildren(*menu_, 0, 0);
  if (menu_ && entries >= kMaxEntries && !warnedCut_) {
    warnedCut_ = true;
    MENU_LOG(LogLevel::Warning,
             "The status menu has more entries than a panel can take; "
             "the panel shows the first " +
                 std::to_string(kMaxEntries));
  }
  return true;
}

void DBusMenu::addChildren(const Menu& menu, std::size_t parent, int depth) {
  for (const auto& item : menu.items()) {
    if (nodes_.size() > kMaxEntries) return;
    if (nextId_ == INT32_MAX) nextId_ = 1;  // after two billion entries: old ones are long gone
    Node node;
    node.id = nextId_++;
    node.item = item;
    const std::size_t index = nodes_.size();
    byId_[node.id] = index;
    nodes_.push_back(std::move(node));
    nodes_[parent].children.push_back(index);
    if (item->submenu() && depth < kMaxDepth) addChildren(*item->submenu(), index, depth + 1);
  }
}

const DBusMenu::Node* DBusMenu::nodeWithId(std::int32_t id) const {
  const auto found = byId_.find(id);
  return found == byId_.end() ? nullptr : &nodes_[found->second];
}

void DBusMenu::emitLayoutUpdated() {
  if (!bus_ || bus_->lost()) return;
  sd_bus_emit_signal(bus_->get(), kPath, kInterface, "LayoutUpdated", "ui", revision_,
                     std::int32_t{0});
  bus_->rearm();
}

std::vector<DBusMenu::Property> DBusMenu::propertiesOf(std::size_t index) {
  std::vector<Property> properties;
  Node& node = nodes_[index];
  const auto add = [&](const char* key, std::variant<bool, std::int32_t, std::string> value) {
    properties.push_back(Property{key, std::move(value), nullptr});
  };
  if (!node.item) {
    add("children-display", std::string("submenu"));
    return properties;
  }
  const MenuItem& item = *node.item;
  if (item.isSeparatorItem()) {
    add("type", std::string("separator"));
    if (item.isHidden()) add("visible", false);
    return properties;
  }
  add("label", menuLabel(item.displayedTitle(), kMaxLabelCharacters));
  if (!item.isEnabled()) add("enabled", false);
  if (item.isHidden()) add("visible", false);
  if (item.state() != ControlState::Off) {
    add("toggle-type", std::string("checkmark"));
    add("toggle-state", std::int32_t{item.state() == ControlState::On ? 1 : -1});
  }
  if (item.submenu()) add("children-display", std::string("submenu"));
  if (item.image()) {
    if (node.pngOf != item.image().get()) {
      node.png = pngOf(*item.image());
      node.pngOf = item.image().get();
    }
    if (node.png && !node.png->empty()) {
      properties.push_back(Property{"icon-data", false, node.png.get()});
    }
  }
  return properties;
}

std::shared_ptr<const std::vector<std::uint8_t>> DBusMenu::pngOf(const Image& image) {
  // Each opening draws the badges anew, mostly the same pixels as before: encoding is the
  // dear part of a layout, so the PNG is kept by the pixels it shows.
  const auto rgba = image.rgbaPixels();
  std::string key(reinterpret_cast<const char*>(rgba.data()), rgba.size());
  key += std::to_string(image.pixelsWide());
  if (const auto found = pngCache_.find(key); found != pngCache_.end()) return found->second;
  auto png = std::make_shared<const std::vector<std::uint8_t>>(
      image.representation(BitmapFileType::PNG).value_or(std::vector<std::uint8_t>()));
  if (pngCache_.size() >= kMaxCachedIcons) pngCache_.clear();
  pngCache_.emplace(std::move(key), png);
  return png;
}

int DBusMenu::appendValue(sd_bus_message* message, const Property& property) {
  if (property.bytes) {
    int r = sd_bus_message_open_container(message, 'v', "ay");
    if (r >= 0) {
      r = sd_bus_message_append_array(message, 'y', property.bytes->data(), property.bytes->size());
    }
    return r < 0 ? r : sd_bus_message_close_container(message);
  }
  if (const auto* text = std::get_if<std::string>(&property.value)) {
    return sd_bus_message_append(message, "v", "s", text->c_str());
  }
  if (const auto* number = std::get_if<std::int32_t>(&property.value)) {
    return sd_bus_message_append(message, "v", "i", *number);
  }
  return sd_bus_message_append(message, "v", "b", static_cast<int>(std::get<bool>(property.value)));
}

int DBusMenu::appendProperties(sd_bus_message* reply, std::size_t index,
                               const std::vector<std::string>& names) {
  int r = sd_bus_message_open_container(reply, 'a', "{sv}");
  for (const auto& property : propertiesOf(index)) {
    if (r < 0) break;
    if (!wanted(names, property.key)) continue;
    r = sd_bus_message_open_container(reply, 'e', "sv");
    if (r >= 0) r = sd_bus_message_append(reply, "s", property.key);
    if (r >= 0) r = appendValue(reply, property);
    if (r >= 0) r = sd_bus_message_close_container(reply);
  }
  return r < 0 ? r : sd_bus_message_close_container(reply);
}

int DBusMenu::appendLayout(sd_bus_message* reply, std::size_t index, int depth,
                           const std::vector<std::string>& names) {
  int r = sd_bus_message_open_container(reply, 'r', "ia{sv}av");
  if (r >= 0) r = sd_bus_message_append(reply, "i", nodes_[index].id);
  if (r >= 0) r = appendProperties(reply, index, names);
  if (r >= 0) r = sd_bus_message_open_container(reply, 'a', "v");
  if (depth != 0) {
    // A copy of the indexes: appending reads nodes_ only, but keep the loop plain.
    const std::vector<std::size_t> children = nodes_[index].children;
    for (std::size_t i = 0; r >= 0 && i < children.size(); ++i) {
      r = sd_bus_message_open_container(reply, 'v', "(ia{sv}av)");
      if (r >= 0) r = appendLayout(reply, children[i], depth < 0 ? -1 : depth - 1, names);
      if (r >= 0) r = sd_bus_message_close_container(reply);
    }
  }
  if (r >= 0) r = sd_bus_message_close_container(reply);
  if (r >= 0) r = sd_bus_message_close_container(reply);
  return r;
}

int DBusMenu::getLayout(sd_bus_message* call, sd_bus_error* error) {
  std::int32_t parent = 0;
  std::int32_t depth = -1;
  std::vector<std::string> names;
  int r = sd_bus_message_read(call, "ii", &parent, &depth);
  if (r >= 0) r = readStrings(call, names);
  if (r < 0) return r;
  refreshLayout();
  const Node* node = nodeWithId(parent);
  if (!node) return sd_bus_error_set(error, SD_BUS_ERROR_INVALID_ARGS, "No such menu entry");
  sd_bus_message* raw = nullptr;
  if ((r = sd_bus_message_new_method_return(call, &raw)) < 0) return r;
  SdBusMessageHandle answer(raw);
  r = sd_bus_message_append(answer.get(), "u", revision_);
  if (r >= 0) {
    r = appendLayout(answer.get(), static_cast<std::size_t>(node - nodes_.data()),
                     std::max(depth, -1), names);
  }
  if (r < 0) return r;
  return sd_bus_send(nullptr, answer.get(), nullptr);
}

int DBusMenu::getGroupProperties(sd_bus_message* call, sd_bus_error*) {
  std::vector<std::int32_t> ids;
  std::vector<std::string> names;
  int r = readIds(call, ids);
  if (r >= 0) r = readStrings(call, names);
  if (r < 0) return r;
  refreshLayout();
  sd_bus_message* raw = nullptr;
  if ((r = sd_bus_message_new_method_return(call, &raw)) < 0) return r;
  SdBusMessageHandle answer(raw);
  r = sd_bus_message_open_container(answer.get(), 'a', "(ia{sv})");
  for (const std::int32_t id : ids) {
    const Node* node = nodeWithId(id);
    if (r < 0 || !node) continue;  // entries of older revisions are left out
    r = sd_bus_message_open_container(answer.get(), 'r', "ia{sv}");
    if (r >= 0) r = sd_bus_message_append(answer.get(), "i", id);
    if (r >= 0) {
      r = appendProperties(answer.get(), static_cast<std::size_t>(node - nodes_.data()), names);
    }
    if (r >= 0) r = sd_bus_message_close_container(answer.get());
  }
  if (r >= 0) r = sd_bus_message_close_container(answer.get());
  if (r < 0) return r;
  return sd_bus_send(nullptr, answer.get(), nullptr);
}

int DBusMenu::getProperty(sd_bus_message* call, sd_bus_error* error) {
  std::int32_t id = 0;
  const char* name = nullptr;
  int r = sd_bus_message_read(call, "is", &id, &name);
  if (r < 0) return r;
  refreshLayout();
  const Node* node = nodeWithId(id);
  if (!node) return sd_bus_error_set(error, SD_BUS_ERROR_INVALID_ARGS, "No such menu entry");
  for (const auto& property : propertiesOf(static_cast<std::size_t>(node - nodes_.data()))) {
    if (!name || std::strcmp(property.key, name) != 0) continue;
    sd_bus_message* raw = nullptr;
    if ((r = sd_bus_message_new_method_return(call, &raw)) < 0) return r;
    SdBusMessageHandle answer(raw);
    if ((r = appendValue(answer.get(), property)) < 0) return r;
    return sd_bus_send(nullptr, answer.get(), nullptr);
  }
  return sd_bus_error_set(error, SD_BUS_ERROR_INVALID_ARGS, "No such property");
}

void DBusMenu::handleEvent(std::int32_t id, const std::string& type) {
  if (type != "clicked") return;
  refreshLayout();
  const Node* node = nodeWithId(id);
  if (!node || !node->item) return;
  auto item = node->item;  // the action may rebuild the menu
  Menu* holder = item->menu();
  if (!holder) return;
  auto menu = holder->shared_from_this();
  menu->performActionForItem(item);
}

int DBusMenu::event(sd_bus_message* call, sd_bus_error*) {
  std::int32_t id = 0;
  const char* type = nullptr;
  int r = sd_bus_message_read(call, "is", &id, &type);
  if (r >= 0) r = sd_bus_message_skip(call, "vu");
  if (r < 0) return r;
  const std::string kind = type ? type : "";
  // Answer first: the action runs host code, and the panel should not wait on it.
  r = reply(call, "");
  handleEvent(id, kind);
  return r;
}

int DBusMenu::eventGroup(sd_bus_message* call, sd_bus_error*) {
  std::vector<std::pair<std::int32_t, std::string>> events;
  int r = sd_bus_message_enter_container(call, 'a', "(isvu)");
  if (r < 0) return r;
  while ((r = sd_bus_message_enter_container(call, 'r', "isvu")) > 0) {
    std::int32_t id = 0;
    const char* type = nullptr;
    if ((r = sd_bus_message_read(call, "is", &id, &type)) < 0) return r;
    if ((r = sd_bus_message_skip(call, "vu")) < 0) return r;
    if ((r = sd_bus_message_exit_container(call)) < 0) return r;
    events.emplace_back(id, type ? type : "");
  }
  if (r < 0) return r;
  refreshLayout();
  std::vector<std::int32_t> unknown;
  for (const auto& [id, type] : events) {
    if (!nodeWithId(id)) unknown.push_back(id);
  }
  sd_bus_message* raw = nullptr;
  if ((r = sd_bus_message_new_method_return(call, &raw)) < 0) return r;
  SdBusMessageHandle answer(raw);
  r = sd_bus_message_append_array(answer.get(), 'i', unknown.data(),
                                  unknown.size() * sizeof(std::int32_t));
  if (r >= 0) r = sd_bus_send(nullptr, answer.get(), nullptr);
  for (const auto& [id, type] : events) handleEvent(id, type);
  return r;
}

bool DBusMenu::aboutToShow(std::int32_t id) {
  if (id != 0) return false;  // entries below the root are filled with it
  // Once a turn of the main loop: a flood of calls builds the menu once.
  if (updating_ || shownThisTurn_) return shownThisTurn_;
  auto menu = source_ ? source_() : nullptr;
  if (!menu) return false;
  updating_ = true;
  shownThisTurn_ = true;
  MainQueue::shared().async([this] { shownThisTurn_ = false; });
  menu->update();  // the delegate asks the host, as a click on the item does
  updating_ = false;
  if (refreshLayout()) emitLayoutUpdated();
  return true;
}

int DBusMenu::aboutToShow(sd_bus_message* call, sd_bus_error*) {
  std::int32_t id = 0;
  const int r = sd_bus_message_read(call, "i", &id);
  if (r < 0) return r;
  const bool changed = aboutToShow(id);
  return reply(call, "b", static_cast<int>(changed));
}

int DBusMenu::aboutToShowGroup(sd_bus_message* call, sd_bus_error*) {
  std::vector<std::int32_t> ids;
  int r = readIds(call, ids);
  if (r < 0) return r;
  std::vector<std::int32_t> updated;
  std::vector<std::int32_t> unknown;
  for (const std::int32_t id : ids) {
    if (aboutToShow(id)) updated.push_back(id);
    if (!nodeWithId(id)) unknown.push_back(id);
  }
  sd_bus_message* raw = nullptr;
  if ((r = sd_bus_message_new_method_return(call, &raw)) < 0) return r;
  SdBusMessageHandle answer(raw);
  r = sd_bus_message_append_array(answer.get(), 'i', updated.data(),
                                  updated.size() * sizeof(std::int32_t));
  if (r >= 0) {
    r = sd_bus_message_append_array(answer.get(), 'i', unknown.data(),
                                    unknown.size() * sizeof(std::int32_t));
  }
  if (r < 0) return r;
  return sd_bus_send(nullptr, answer.get(), nullptr);
}

}  // namespace velquarin::platform
