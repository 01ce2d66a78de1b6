#include "Menu/ZqMainMenu.h"

#include <algorithm>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "StatusItem/ZqHostFormat.h"
#include "Utilities/ZqJSON.h"
#include "Utilities/ZqLog.h"
#include "application/Application.h"
#include "notificationcenter/NotificationCenter.h"

using velquarin::platform::Application;
using velquarin::platform::Event;
using velquarin::platform::EventType;
using velquarin::platform::Menu;
using velquarin::platform::MenuItem;
using velquarin::platform::NotificationCenter;
using json = nlohmann::json;
namespace Flags = velquarin::platform::EventModifierFlags;

namespace {

// Texts quoted in log lines are cut here: a host may send megabytes.
constexpr std::size_t kLoggedCharacters = 4096;
constexpr std::size_t kInitialMapCapacity = 400;
// Menus nest a handful deep; a deeper chain can only be a loop.
constexpr int kMaxDepth = 256;

using Items = std::vector<std::shared_ptr<MenuItem>>;

std::string quoted(const json& value) {
  return ZqTruncateCharacters(value.dump(-1, ' ', false, json::error_handler_t::replace),
                              kLoggedCharacters);
}

std::string describe(const MenuItem& item) {
  return ZqTruncateCharacters("<MenuItem: \"" + item.title() + "\">", kLoggedCharacters);
}

std::string describe(const Items& items) {
  std::string text = "(";
  for (const auto& item : items) {
    if (text.size() > 1) text += ", ";
    text += "<MenuItem: \"" + item->title() + "\">";
    if (text.size() > kLoggedCharacters * 4) break;  // long enough to be cut below
  }
  return ZqTruncateCharacters(text + ")", kLoggedCharacters);
}

// The identifier an item carries, when its represented object has an int32 "commandId".
std::optional<std::int32_t> commandIdOf(const MenuItem& item) {
  const json& object = item.representedObject();
  if (!object.is_object()) return std::nullopt;
  const auto found = object.find("commandId");
  if (found == object.end()) return std::nullopt;
  if (found->is_number_integer()) {
    const auto number = found->get<std::int64_t>();
    if (number >= INT32_MIN && number <= INT32_MAX) return static_cast<std::int32_t>(number);
  }
  return std::nullopt;  // beyond int32, fractional or not a number: no identifier
}

// Command identifiers to items, as the main menu was when the map was built. Items are held
// weakly: the host replaces its menus, and a stale entry must not keep a dead item alive.
class CommandIdMap {
 public:
  std::shared_ptr<MenuItem> itemFor(std::int32_t commandId) {
    const auto mainMenu = Application::shared().mainMenu();
    if (!built_ || builtFrom_.lock() != mainMenu) rebuild(mainMenu);
    auto item = find(commandId);
    if (item && isUnder(*item, mainMenu.get())) return item;
    if (item || hasExpiredEntry(commandId)) {
      rebuild(mainMenu);  // the item was moved or dropped since: look again, once
      item = find(commandId);
      if (item && isUnder(*item, mainMenu.get())) return item;
    }
    return nullptr;
  }

 private:
  void rebuild(const std::shared_ptr<Menu>& mainMenu) {
    items_.clear();
    items_.reserve(kInitialMapCapacity);
    built_ = true;
    builtFrom_ = mainMenu;
    if (!mainMenu) return;
    std::unordered_set<const Menu*> visited;
    add(*mainMenu, visited, 0);
  }

  void add(const Menu& menu, std::unordered_set<const Menu*>& visited, int depth) {
    if (depth > kMaxDepth || !visited.insert(&menu).second) return;
    for (const auto& item : menu.items()) {
      if (const auto id = commandIdOf(*item)) items_[*id] = item;  // a later one replaces
      if (item->submenu() && item->submenu()->numberOfItems() > 0) {
        add(*item->submenu(), visited, depth + 1);
      }
    }
  }

  std::shared_ptr<MenuItem> find(std::int32_t commandId) const {
    const auto found = items_.find(commandId);
    return found == items_.end() ? nullptr : found->second.lock();
  }

  bool hasExpiredEntry(std::int32_t commandId) const {
    const auto found = items_.find(commandId);
    return found != items_.end() && found->second.expired();
  }

  // Still in `mainMenu`, through the chain of parent items.
  static bool isUnder(const MenuItem& item, const Menu* mainMenu) {
    const Menu* menu = item.menu();
    for (int depth = 0; menu && depth <= kMaxDepth; ++depth) {
      if (menu == mainMenu) return true;
      const auto parent = menu->parentItem();
      menu = parent ? parent->menu() : nullptr;
    }
    return false;
  }

  std::unordered_map<std::int32_t, std::weak_ptr<MenuItem>> items_;
  std::weak_ptr<Menu> builtFrom_;
  bool built_ = false;
};

CommandIdMap& commandIdMap() {
  static CommandIdMap* map = new CommandIdMap();
  return *map;
}

void logCannotSet(const MenuItem& item, const std::string& key, const json& value) {
  ZQ_LOG_ERROR("%@ Cannot set menuItems item attribute %@ to %@", describe(item),
               ZqTruncateCharacters(key, kLoggedCharacters), quoted(value));
}

void applyAttributes(MenuItem& item, const json& attributes) {
  for (const auto& [key, value] : attributes.items()) {
    if (key == "title" && value.is_string()) {
      item.setTitle(value.get<std::string>());
      if (item.submenu()) item.submenu()->setTitle(value.get<std::string>());
    } else if (key == "visible" && value.is_boolean()) {
      item.setHidden(!value.get<bool>());
    } else if (key == "accelerator" && (value.is_string() || value.is_null())) {
      const auto equivalent = ZqParseAccelerator(value);
      item.setKeyEquivalent(equivalent.key);
      item.setKeyEquivalentModifierMask(equivalent.modifierMask);
    } else {
      logCannotSet(item, key, value);
    }
  }
}

// The attribute text as an object; nullopt after its error line.
std::optional<json> parseAttributes(std::string_view text) {
  std::string error;
  auto attributes = ZqConvertFromJSONString(text, &error);
  if (!attributes) {
    ZQ_LOG_ERROR("error parsing attributeMap %@ (%@)", error,
                 ZqTruncateCharacters(text, kLoggedCharacters));
    return std::nullopt;
  }
  if (!attributes->is_object()) {
    ZQ_LOG_ERROR("attributemMap must be an NSDictionary (%@)", quoted(*attributes));
    return std::nullopt;
  }
  return attributes;
}

// A path number as an index: whole and not negative. Anything else is out of range.
std::optional<std::size_t> indexOf(const json& element) {
  if (element.is_number_unsigned()) return element.get<std::uint64_t>();
  if (element.is_number_integer()) {
    const auto number = element.get<std::int64_t>();
    if (number >= 0) return static_cast<std::size_t>(number);
  } else if (element.is_number_float()) {
    const double number = element.get<double>();
    if (number >= 0 && number < 1e18 &&
        static_cast<double>(static_cast<std::uint64_t>(number)) == number) {
      return static_cast<std::size_t>(number);
    }
  }
  return std::nullopt;
}

// Follows the path from the main menu's items; the item it ends on, or null after the line.
std::shared_ptr<MenuItem> follow(const json& path) {
  const auto mainMenu = Application::shared().mainMenu();  // held: observers may replace it
  Items list = mainMenu ? mainMenu->items() : Items{};
  bool hasList = true;  // false after a number pointed at an item without submenu
  std::shared_ptr<MenuItem> current;
  for (const auto& element : path) {
    if (!hasList) {
      ZQ_LOG_ERROR(
          "Path element %@ isn't valid as it points to a menuItems item without "
          "submenu (%@).",
          quoted(element), describe(*current));
      return nullptr;
    }
    if (element.is_number()) {
      const auto index = indexOf(element);
      if (!index || *index >= list.size()) {
        ZQ_LOG_ERROR("Index out of range %lu for items %@", quoted(element), describe(list));
        return nullptr;
      }
      current = list[*index];
      hasList = current->submenu() != nullptr;
      list = hasList ? current->submenu()->items() : Items{};
    } else if (element.is_string()) {
      const auto& marker = element.get_ref<const std::string&>();
      auto found = std::find_if(list.begin(), list.end(),
                                [&](const auto& item) { return item->title() == marker; });
      if (found == list.end()) {
        ZQ_LOG_ERROR("Didn't find marker item with name %@",
                     ZqTruncateCharacters(marker, kLoggedCharacters));
        return nullptr;
      }
      list.erase(list.begin(), found + 1);
    } else {
      ZQ_LOG_ERROR("[ERROR] Unknown navigation item %@ in %@", quoted(element), quoted(path));
      return nullptr;
    }
  }
  if (!current) ZQ_LOG_ERROR("No menuItems item found");
  return current;
}

}  // namespace

ZqKeyEquivalent ZqParseAccelerator(const json& accelerator) {
  std::vector<std::string> parts;
  if (accelerator.is_string()) {
    const auto& text = accelerator.get_ref<const std::string&>();
    std::size_t start = 0;
    for (std::size_t plus = text.find('+'); plus != std::string::npos;
         plus = text.find('+', start)) {
      parts.push_back(text.substr(start, plus - start));
      start = plus + 1;
    }
    parts.push_back(text.substr(start));
  }
  ZqKeyEquivalent result;
  if (!parts.empty()) result.key = parts.back();
  if (result.key.empty()) return result;
  for (const auto& part : parts) {
    if (part == "Cmd") result.modifierMask |= Flags::Command;
    if (part == "Ctrl") result.modifierMask |= Flags::Control;
    if (part == "Opt") result.modifierMask |= Flags::Option;
    if (part == "Shift") result.modifierMask |= Flags::Shift;
  }
  return result;
}

int ZqMainMenuUpdateMenuItem(std::string_view pathText, std::string_view attributesText) {
  std::string error;
  const auto path = ZqConvertFromJSONString(pathText, &error);
  if (!path) {
    ZQ_LOG_ERROR("error navigationPath %@ (%@)", error,
                 ZqTruncateCharacters(pathText, kLoggedCharacters));
    return 0;
  }
  if (!path->is_array()) {
    ZQ_LOG_ERROR("navigationPath must be an NSArray (%@)", quoted(*path));
    return 0;
  }
  const auto attributes = parseAttributes(attributesText);
  if (!attributes) return 0;
  const auto item = follow(*path);
  if (!item) return 0;
  applyAttributes(*item, *attributes);
  return 1;
}

int ZqMainMenuUpdateMenuItemWithCommandId(std::int32_t commandId, std::string_view attributesText) {
  const auto attributes = parseAttributes(attributesText);
  if (!attributes) return 0;
  const auto item = commandIdMap().itemFor(commandId);
  if (!item) return 0;
  applyAttributes(*item, *attributes);
  return 1;
}

json ZqMenuEventDescription(const Event* event) {
  auto description = json::object();
  if (!event) return description;
  const bool keyboard = event->isKeyboard();
  description["mouse?"] = !keyboard;
  description["keyboard?"] = keyboard;
  description["function-modifier?"] = event->has(Flags::Function);
  description["control-modifier?"] = event->has(Flags::Control);
  description["option-modifier?"] = event->has(Flags::Option);
  description["command-modifier?"] = event->has(Flags::Command);
  description["shift-modifier?"] = event->has(Flags::Shift);
  // Only key events have a key code, and only key downs and ups have characters: asking a
  // mouse or modifier event for them is a programming error on the desktop.
  if (keyboard) description["key-code"] = event->keyCode;
  if (event->type == EventType::KeyDown || event->type == EventType::KeyUp) {
    description["chars"] =
        event->has(Flags::Command) ? event->characters : event->charactersIgnoringModifiers;
  }
  return description;
}

void ZqPostAppNeedsUpdateNotification(Menu& menu, const Event* event) {
  auto keep = menu.weak_from_this().lock();  // an observer may replace the main menu
  NotificationCenter::defaultCenter().post(
      kZqAppMenuWillOpen, &menu,
      json{{"event", ZqMenuEventDescription(event)}, {"menu", menu.title()}});
}

std::shared_ptr<ZqAppMenuDelegate> ZqAppMenuDelegate::sharedInstance() {
  static std::once_flag once;
  static std::shared_ptr<ZqAppMenuDelegate>* instance = nullptr;  // lives for the process
  std::call_once(once, [] {
    instance = new std::shared_ptr<ZqAppMenuDelegate>(std::make_shared<ZqAppMenuDelegate>());
  });
  return *instance;
}

void ZqAppMenuDelegate::menuWillOpen(Menu& menu) {
  ZqPostAppNeedsUpdateNotification(menu, nullptr);
}

void ZqAppMenuDelegate::menuDidClose(Menu& menu) {
  auto keep = menu.weak_from_this().lock();
  NotificationCenter::defaultCenter().post(kZqAppMenuDidClose, &menu, json::object());
}

void ZqSetupAppMenuNeedsUpdateNotification() {
  auto delegate = ZqAppMenuDelegate::sharedInstance();
  const auto mainMenu = Application::shared().mainMenu();
  if (!mainMenu) return;
  mainMenu->setDelegate(delegate);
  for (const auto& item : Items(mainMenu->items())) {
    if (item->submenu()) item->submenu()->setDelegate(mainMenu->delegate());
  }
}
