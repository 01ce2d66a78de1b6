#include "StatusItem/ZqStatusItemController.h"

#include <cmath>
#include <limits>
#include <mutex>

#include "Extensions/NSColor+ZqExtensions.h"
#include "Extensions/NSImage+ZqExtensions.h"
#include "StatusItem/ZqAccountStatusMenuItem.h"
#include "StatusItem/ZqHostFormat.h"
#include "StatusItem/ZqStatusItemMessageMenuItem.h"
#include "StatusItem/ZqStatusItemSmallMenuItem.h"
#include "Utilities/ZqImageNamed.h"
#include "Utilities/ZqLog.h"
#include "bundle/Bundle.h"
#include "defaults/UserDefaults.h"
#include "drawing/Graphics.h"
#include "strings/StringTables.h"
#include "tray/StatusNotifierItem.h"

using velquarin::platform::Color;
using velquarin::platform::ControlState;
using velquarin::platform::Font;
using velquarin::platform::Image;
using velquarin::platform::Menu;
using velquarin::platform::MenuItem;
using velquarin::platform::NotificationCenter;
using velquarin::platform::StatusBar;
using velquarin::platform::UserDefaults;
using json = nlohmann::json;

namespace {

constexpr const char* kCheckForNewMessages = "checkForNewMessages:";
constexpr const char* kToggleDoNotDisturb = "toggleDoNotDisturb:";
constexpr const char* kComposeNewMessage = "composeNewMessage:";
constexpr const char* kShowTabViewItem = "showTabViewItem:";
constexpr const char* kLoginOAuth = "loginOAuth:";
constexpr const char* kOpenMessage = "openMessage:";

constexpr const char* kDefaultIcon = "SB_Default_Template";
constexpr const char* kErrorIcon = "SB_InError_Template";
// The desktop's standard light grey, for the icon while notifications are held back.
constexpr Color kLightGray{2.0 / 3, 2.0 / 3, 2.0 / 3, 1};

const json& field(const json& object, const char* key) {
  static const json missing;
  if (!object.is_object()) return missing;
  const auto found = object.find(key);
  return found == object.end() ? missing : *found;
}

std::string stringField(const json& object, const char* key) {
  const json& value = field(object, key);
  return value.is_string() ? value.get<std::string>() : std::string();
}

json* member(json& object, const char* key) {
  if (!object.is_object()) return nullptr;
  const auto found = object.find(key);
  return found == object.end() ? nullptr : &*found;
}

// A member moved out of an object read once: a missing one is null.
json takeField(json& object, const char* key) {
  json* found = member(object, key);
  return found ? std::move(*found) : json();
}

std::string takeString(json& object, const char* key) {
  json value = takeField(object, key);
  return value.is_string() ? std::move(value.get_ref<std::string&>()) : std::string();
}

// An unread count: any number held to 0 ... 2^64-1 (negative and non-finite values are 0,
// fractions are cut); anything else is 0.
std::uint64_t countField(const json& object, const char* key) {
  const json& value = field(object, key);
  if (value.is_number_unsigned()) return value.get<std::uint64_t>();
  if (value.is_number_integer()) {
    const auto number = value.get<std::int64_t>();
    return number < 0 ? 0 : static_cast<std::uint64_t>(number);
  }
  if (value.is_number_float()) {
    const double number = value.get<double>();
    if (!std::isfinite(number) || number < 1) return 0;
    if (number >= 18446744073709551616.0) return std::numeric_limits<std::uint64_t>::max();
    return static_cast<std::uint64_t>(number);
  }
  return 0;
}

bool flagField(const json& object, const char* key) {
  const json& value = field(object, key);
  if (value.is_boolean()) return value.get<bool>();
  if (value.is_number()) return value.get<double>() != 0;
  return false;
}

}  // namespace

std::shared_ptr<ZqStatusItemController> ZqStatusItemController::sharedInstance() {
  static std::once_flag once;
  // Never destroyed: the controller lives until the process ends.
  static std::shared_ptr<ZqStatusItemController>* instance = nullptr;
  std::call_once(once, [] { instance = new std::shared_ptr<ZqStatusItemController>(create()); });
  return *instance;
}

std::shared_ptr<ZqStatusItemController> ZqStatusItemController::create() {
  std::shared_ptr<ZqStatusItemController> controller(new ZqStatusItemController());
  controller->startObserving();
  return controller;
}

void ZqStatusItemController::startObserving() {
  auto& center = NotificationCenter::defaultCenter();
  std::weak_ptr<ZqStatusItemController> weak = weak_from_this();
  // Delivered on the main thread even when posted elsewhere: both touch the menu bar.
  defaultsObserver_ =
      center.addObserver(velquarin::platform::kUserDefaultsDidChangeNotification, nullptr,
                         NotificationCenter::Delivery::MainQueue, [weak](const auto&) {
                           if (auto self = weak.lock()) self->preferenceDidChange();
                         });
  accountsObserver_ =
      center.addObserver(kZqNumberOfAccountsChanged, nullptr,
                         NotificationCenter::Delivery::MainQueue, [weak](const auto& notification) {
                           if (auto self = weak.lock()) {
                             self->numberOfAccountsChanged(notification);
                           }
                         });
}

ZqStatusItemController::~ZqStatusItemController() {
  auto& center = NotificationCenter::defaultCenter();
  center.removeObserver(defaultsObserver_);
  center.removeObserver(accountsObserver_);
  if (statusItem_) StatusBar::system().removeStatusItem(statusItem_);
}

void ZqStatusItemController::setHasErrors(bool hasErrors) {
  if (hasErrors == hasErrors_) return;
  hasErrors_ = hasErrors;
  updateStatusItemIcon();
}

void ZqStatusItemController::setTitle(std::optional<std::string> title) {
  // A missing title is never equal to anything: setting it always redraws.
  if (title && title_ && *title == *title_) return;
  title_ = std::move(title);
  updateStatusItemIcon();
}

bool ZqStatusItemController::statusBarItemEnabled() const {
  const auto display = UserDefaults::standard()->boolValue("DisplayStatusItem");
  if (display && !*display) return false;
  return numberOfAccounts_ > 0;
}

bool ZqStatusItemController::doNotDisturbEnabled() const {
  return UserDefaults::standard()->boolValue("DoNotDisturb").value_or(false);
}

void ZqStatusItemController::preferenceDidChange() {
  const bool itemEnabled = statusBarItemEnabled();
  const bool doNotDisturb = doNotDisturbEnabled();
  if (itemEnabled == previousStatusBarItemEnabled_ &&
      doNotDisturb == previousDoNotDisturbEnabled_) {
    return;
  }
  updateStatusItemIcon();  // stores both
}

void ZqStatusItemController::numberOfAccountsChanged(
    const velquarin::platform::Notification& notification) {
  const json& value = field(notification.userInfo, "num-accounts");
  std::int64_t accounts = 0;
  if (value.is_number_integer()) {
    accounts = value.get<std::int64_t>();
  } else if (value.is_number_unsigned()) {
    accounts = std::numeric_limits<std::int64_t>::max();  // beyond int64: "many"
  } else if (value.is_number_float() && std::isfinite(value.get<double>())) {
    accounts = static_cast<std::int64_t>(std::clamp(value.get<double>(), -1e18, 1e18));
  }
  numberOfAccounts_ = accounts;
  updateStatusItemIcon();
}

std::shared_ptr<Image> ZqStatusItemController::iconNamed(const std::string& name) {
  auto image = ZqImageNamed(name);
  if (!image) ZQ_LOG_WARN("No image named %@ in the application bundle", name);
  return image;
}

void ZqStatusItemController::updateStatusItemIcon() {
  ++iconUpdates_;
  auto& bar = StatusBar::system();
  // What is shown now: a later change of either key is measured against this, also when
  // the last redraw came from an account count or a title.
  previousStatusBarItemEnabled_ = statusBarItemEnabled();
  previousDoNotDisturbEnabled_ = doNotDisturbEnabled();
  if (!previousStatusBarItemEnabled_) {
    if (statusItem_) {
      bar.removeStatusItem(statusItem_);
      statusItem_.reset();
    }
    return;
  }
  if (!statusItem_) {
    statusItem_ = bar.statusItemWithLength(kDefaultLength);
    statusItem_->setHighlightMode(true);
    auto menu = std::make_shared<Menu>();
    menu->setDelegate(shared_from_this());
    statusItem_->setMenu(std::move(menu));
  }
  statusItem_->setNeedsAttention(hasErrors_);
  if (previousDoNotDisturbEnabled_) {
    statusItem_->setImage(zq_tintedImageWithColor(iconNamed(kDefaultIcon), kLightGray), false);
    statusItem_->setLength(kDefaultLength);
    statusItem_->setTitle(std::string());
    return;
  }
  auto image = iconNamed(hasErrors_ ? kErrorIcon : kDefaultIcon);
  const bool tinted = !hasErrors_ && title_ && !title_->empty();
  if (tinted) image = zq_tintedImageWithColor(image, zq_colorWithHexColorString("4F8CF8"));
  statusItem_->setImage(image, !tinted);
  const double width = measureText(title_.value_or(std::string()), Font::menuBarFont()).width;
  statusItem_->setLength(width + (hasErrors_ ? kTitlePaddingWithErrors : kTitlePadding));
  statusItem_->setTitle(title_);
}

void ZqStatusItemController::menuNeedsUpdate(Menu& menu) {
  menuNeedsUpdate(menu, "status-item", true);
}

void ZqStatusItemController::menuNeedsUpdate(Menu& menu, const std::string& type,
                                             bool includeMessage) {
  menu.removeAllItems();
  if (!menuNeedsUpdateCallback_) return;
  auto self = shared_from_this();  // the host runs in between: hold on to everything used
  auto menuHolder = menu.weak_from_this().lock();
  const MenuNeedsUpdateCallback callback = menuNeedsUpdateCallback_;  // may be replaced meanwhile
  json content = callback(type, includeMessage);
  // The host may have built this menu again from inside the call: start over.
  menu.removeAllItems();
  if (!content.is_object()) content = json::object();

  json* accounts = member(content, "accounts");
  const json& translations = field(content, "translations");
  const bool doNotDisturb = doNotDisturbEnabled();

  // The host's text is looked up once more in the application's own string tables.
  auto command = [&](const char* key, const char* action) {
    const std::string text = stringField(translations, key);
    auto item = std::make_shared<MenuItem>(
        velquarin::platform::localizedString(*velquarin::platform::Bundle::main(), text, text),
        action, "");
    item->setTarget(self);
    menu.addItem(item);
    return item;
  };
  command("get-new-mail", kCheckForNewMessages);
  command("do-not-disturb?", kToggleDoNotDisturb)
      ->setState(doNotDisturb ? ControlState::On : ControlState::Off);
  command("compose-new-message", kComposeNewMessage);
  if (!includeMessage) menu.addItem(MenuItem::separatorItem());
  if (!accounts || !accounts->is_array()) return;

  for (json& account : *accounts) {
    const std::string label = stringField(account, "label");
    const std::uint64_t count = countField(account, "unread-counter-value");
    const Color color = zq_colorWithHexColorString(stringField(account, "hex-color"));
    const bool needsSignIn = flagField(account, "requires-oauth?");
    const json& identifier = field(account, "id");

    if (!includeMessage) {
      std::string title;
      std::string action;
      if (needsSignIn) {
        const ZqHostFormatArg args[] = {std::string_view(label)};
        title = ZqFillHostFormat(stringField(translations, "sign-in-format"), args);
        action = kLoginOAuth;
      } else if (count != 0 && !doNotDisturb) {
        const ZqHostFormatArg args[] = {std::string_view(label), count};
        title = ZqFillHostFormat(stringField(translations, "open-with-counter-format"), args);
        action = kShowTabViewItem;
      } else {
        const ZqHostFormatArg args[] = {std::string_view(label)};
        title = ZqFillHostFormat(stringField(translations, "open-format"), args);
        action = kShowTabViewItem;
      }
      auto item = std::make_shared<ZqAccountStatusMenuItem>(
          std::move(title), color, needsSignIn ? 0 : count, needsSignIn, action, "");
      item->setTarget(self);
      item->setRepresentedObject(identifier);
      menu.addItem(item);
      continue;
    }

    menu.addItem(MenuItem::separatorItem());
    auto accountItem = std::make_shared<ZqAccountStatusMenuItem>(label, color, count, needsSignIn,
                                                                 kShowTabViewItem, "");
    accountItem->setTarget(self);
    accountItem->setRepresentedObject(identifier);
    menu.addItem(accountItem);
    if (needsSignIn) {
      auto signIn = std::make_shared<ZqStatusItemSmallMenuItem>(
          stringField(translations, "sign-in"), kLoginOAuth, "");
      signIn->setTarget(self);
      signIn->setRepresentedObject(identifier);
      menu.addItem(signIn);
      continue;
    }
    if (doNotDisturb) continue;
    // Each message is read once: its strings move into its item rather than being copied,
    // and the rest of it is freed at once, while still in cache, so the next items reuse
    // its memory instead of the whole content being walked again cold at the end.
    json* messages = member(account, "unread-messages");
    if (!messages || !messages->is_array()) continue;
    for (json& message : *messages) {
      std::string title = takeString(message, "from-line");
      const json& subject = field(message, "subject");
      title.append(" - ").append(subject.is_string() ? subject.get_ref<const std::string&>()
                                                     : std::string());
      auto item = std::make_shared<ZqStatusItemMessageMenuItem>(std::move(title), kOpenMessage, "");
      item->setToolTip(takeString(message, "snippet"));
      item->setTarget(self);
      item->setRepresentedObject(takeField(message, "unique-id"));
      menu.addItem(item);
      message = nullptr;
    }
  }
}

void ZqStatusItemController::checkForNewMessages(const MenuItem*) {
  NotificationCenter::defaultCenter().post(kZqGetNewMessagesNotification, this);
}

void ZqStatusItemController::toggleDoNotDisturb(const MenuItem*) {
  NotificationCenter::defaultCenter().post(kZqToggleDoNotDisturbNotification, this);
}

void ZqStatusItemController::composeNewMessage(const MenuItem*) {
  NotificationCenter::defaultCenter().post(kZqComposeNewMessageNotification, this);
}

void ZqStatusItemController::postAccountNotification(const char* name, const char* key,
                                                     const MenuItem& sender) {
  // A missing identifier is handed over as null rather than dropped.
  NotificationCenter::defaultCenter().post(name, this, json{{key, sender.representedObject()}});
}

void ZqStatusItemController::showTabViewItem(const MenuItem& sender) {
  postAccountNotification(kZqActivateTabForAccountNotification, "account-db-id", sender);
}

void ZqStatusItemController::loginOAuth(const MenuItem& sender) {
  postAccountNotification(kZqOpenOAuthWindowForAccountNotification, "account-db-id", sender);
}

void ZqStatusItemController::openMessage(const MenuItem& sender) {
  postAccountNotification(kZqOpenMessageWithUniqueNotificationId, "unique-id", sender);
}

void ZqStatusItemController::performAction(const std::string& action, MenuItem& sender) {
  if (action == kCheckForNewMessages) {
    checkForNewMessages(&sender);
  } else if (action == kToggleDoNotDisturb) {
    toggleDoNotDisturb(&sender);
  } else if (action == kComposeNewMessage) {
    composeNewMessage(&sender);
  } else if (action == kShowTabViewItem) {
    showTabViewItem(sender);
  } else if (action == kLoginOAuth) {
    loginOAuth(sender);
  } else if (action == kOpenMessage) {
    openMessage(sender);
  }
}

bool ZqStatusItemController::validateMenuItem(const MenuItem& item) {
  if (item.action() == kCheckForNewMessages) return !doNotDisturbEnabled();
  return true;
}

void ZqActivateStatusItem() {
  ZqStatusItemController::sharedInstance();
  // The desktop's panel mirrors the menu-bar item from now on.
  velquarin::platform::StatusNotifierItem::shared().start();
}
