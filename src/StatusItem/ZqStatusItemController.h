#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "menus/Menu.h"
#include "menus/StatusBar.h"
#include "notificationcenter/NotificationCenter.h"

// The menu-bar item: shown while the user has an account and has not switched it off, its
// icon, title and width, and the menu it rebuilds from the host's content at every opening
// (also, in a compact form, the dock menu). Menu actions become notifications for the host.
// Main thread only.
class ZqStatusItemController : public velquarin::platform::MenuDelegate,
                               public velquarin::platform::MenuTarget,
                               public std::enable_shared_from_this<ZqStatusItemController> {
 public:
  // (type, includeMessage) -> the menu content, a JSON object (anything else counts as empty).
  using MenuNeedsUpdateCallback = std::function<nlohmann::json(const std::string&, bool)>;

  static constexpr double kDefaultLength = 26;
  static constexpr double kTitlePadding = 29;
  static constexpr double kTitlePaddingWithErrors = 35;

  static std::shared_ptr<ZqStatusItemController> sharedInstance();
  // A controller of its own, observing the default centre (for tests; the module uses the
  // shared one).
  static std::shared_ptr<ZqStatusItemController> create();
  ~ZqStatusItemController() override;
  ZqStatusItemController(const ZqStatusItemController&) = delete;
  ZqStatusItemController& operator=(const ZqStatusItemController&) = delete;

  bool hasErrors() const { return hasErrors_; }
  void setHasErrors(bool hasErrors);
  const std::optional<std::string>& title() const { return title_; }
  void setTitle(std::optional<std::string> title);
  bool previousDoNotDisturbEnabled() const { return previousDoNotDisturbEnabled_; }
  bool previousStatusBarItemEnabled() const { return previousStatusBarItemEnabled_; }
  const std::shared_ptr<velquarin::platform::StatusItem>& statusItem() const { return statusItem_; }
  void setMenuNeedsUpdateCallback(MenuNeedsUpdateCallback callback) {
    menuNeedsUpdateCallback_ = std::move(callback);
  }
  bool hasMenuNeedsUpdateCallback() const { return static_cast<bool>(menuNeedsUpdateCallback_); }
  std::int64_t numberOfAccounts() const { return numberOfAccounts_; }

  bool statusBarItemEnabled() const;
  bool doNotDisturbEnabled() const;

  // Empties `menu` and fills it from the host's content ("status-item" or "dock").
  void menuNeedsUpdate(velquarin::platform::Menu& menu, const std::string& type,
                       bool includeMessage);

  // The six actions: each posts its notification.
  void checkForNewMessages(const velquarin::platform::MenuItem* sender);
  void toggleDoNotDisturb(const velquarin::platform::MenuItem* sender);
  void composeNewMessage(const velquarin::platform::MenuItem* sender);
  void showTabViewItem(const velquarin::platform::MenuItem& sender);
  void loginOAuth(const velquarin::platform::MenuItem& sender);
  void openMessage(const velquarin::platform::MenuItem& sender);

  void updateStatusItemIcon();
  // How many times the item's appearance was set (for tests of redrawing).
  unsigned long iconUpdates() const { return iconUpdates_; }

  // MenuDelegate and MenuTarget.
  void menuNeedsUpdate(velquarin::platform::Menu& menu) override;
  void performAction(const std::string& action, velquarin::platform::MenuItem& sender) override;
  bool validateMenuItem(const velquarin::platform::MenuItem& item) override;

 private:
  ZqStatusItemController() = default;
  void startObserving();
  void preferenceDidChange();
  void numberOfAccountsChanged(const velquarin::platform::Notification& notification);
  void postAccountNotification(const char* name, const char* key,
                               const velquarin::platform::MenuItem& sender);
  std::shared_ptr<velquarin::platform::Image> iconNamed(const std::string& name);

  bool hasErrors_ = false;
  bool previousDoNotDisturbEnabled_ = false;
  bool previousStatusBarItemEnabled_ = false;
  std::shared_ptr<velquarin::platform::StatusItem> statusItem_;
  std::optional<std::string> title_;
  MenuNeedsUpdateCallback menuNeedsUpdateCallback_;
  std::int64_t numberOfAccounts_ = -1;

  unsigned long iconUpdates_ = 0;
  velquarin::platform::ObserverId defaultsObserver_ = 0;
  velquarin::platform::ObserverId accountsObserver_ = 0;
};

// Start-up: creates the shared controller.
void ZqActivateStatusItem();

inline constexpr const char* kZqNumberOfAccountsChanged = "ZqNumberOfAccountsChanged";
inline constexpr const char* kZqGetNewMessagesNotification = "ZqGetNewMessagesNotification";
inline constexpr const char* kZqToggleDoNotDisturbNotification = "ZqToggleDoNotDisturbNotification";
inline constexpr const char* kZqComposeNewMessageNotification = "ZqComposeNewMessageNotification";
inline constexpr const char* kZqActivateTabForAccountNotification =
    "ZqActivateTabForAccountNotification";
inline constexpr const char* kZqOpenOAuthWindowForAccountNotification =
    "ZqOpenOAuthWindowForAccountNotification";
inline constexpr const char* kZqOpenMessageWithUniqueNotificationId =
    "ZqOpenMessageWithUniqueNotificationId";
