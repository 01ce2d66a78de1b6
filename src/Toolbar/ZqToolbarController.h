#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "Toolbar/ZqAddTabViewController.h"
#include "Toolbar/ZqToolbar.h"
#include "Toolbar/ZqToolbarItem.h"
#include "notificationcenter/NotificationCenter.h"
#include "windows/Window.h"

// The toolbar of one host window: builds the items from the host's definition, keeps their
// images in step with the appearance, asks the host whether they are enabled and reports
// clicks. Main thread only.
class ZqToolbarController : public velquarin::platform::ToolbarDelegate,
                            public velquarin::platform::ToolbarItemTarget,
                            public ZqAddTabViewDelegate,
                            public std::enable_shared_from_this<ZqToolbarController> {
 public:
  // A controller for `definition`; null with the failed condition in `failure` when the
  // definition lacks its identifier, items or options.
  static std::shared_ptr<ZqToolbarController> initWithDictionary(const nlohmann::json& definition,
                                                                 std::string* failure);
  ~ZqToolbarController() override;
  ZqToolbarController(const ZqToolbarController&) = delete;
  ZqToolbarController& operator=(const ZqToolbarController&) = delete;

  // Every live controller in creation order; the list keeps them alive.
  static std::vector<std::shared_ptr<ZqToolbarController>>& allControllers();
  static std::shared_ptr<ZqToolbarController> toolbarControllerForWindowId(std::int32_t windowId);

  // False (nothing done) when the controller already has a window.
  bool addToWindow(const std::shared_ptr<velquarin::platform::Window>& window,
                   std::int32_t windowId);

  std::int32_t windowId() const { return windowId_; }
  std::shared_ptr<velquarin::platform::Window> window() const { return window_.lock(); }
  std::shared_ptr<ZqToolbar> toolbar() const;
  const std::shared_ptr<ZqAddTabViewController>& addTabViewController() const {
    return addTabViewController_;
  }
  bool isDarkMode() const { return isDarkMode_; }
  const std::string& toolbarIdentifier() const { return toolbarIdentifier_; }

  // ToolbarDelegate
  std::vector<std::string> allowedItemIdentifiers() override;
  std::vector<std::string> defaultItemIdentifiers() override;
  std::vector<std::string> selectableItemIdentifiers() override;
  std::shared_ptr<velquarin::platform::ToolbarItem> itemForIdentifier(const std::string& identifier,
                                                                      bool willBeInserted) override;
  // ToolbarItemTarget
  void toolbarAction(velquarin::platform::ToolbarItem& item) override;
  bool validateToolbarItem(velquarin::platform::ToolbarItem& item) override {
    return realValidateToolbarItem(item);
  }

  bool realValidateToolbarItem(const velquarin::platform::ToolbarItem& item);
  void validateToolbarItems();
  void selectToolbarItem(const std::string& identifier);
  void toggleToolbarVisibility();
  bool isToolbarVisible() const;
  void customizeToolbar();
  void changeToolbarItemWithIdentifier(const std::string& identifier, const std::string& imageName);

  bool isAddTabViewShowing() const override;
  void showAddTabButton() override;
  void hideAddTabButton() override;
  void addTabViewButtonClicked() override;

  // Stops observing, removes the add-tab button and leaves allControllers.
  void retire();

  ZqToolbarController(std::string identifier, std::vector<nlohmann::json> definitions,
                      nlohmann::json options);

 private:
  std::optional<nlohmann::json> definitionForIdentifier(const std::string& identifier) const;
  std::shared_ptr<velquarin::platform::Image> imageForItem(const nlohmann::json& definition) const;
  void appearanceChanged();
  void updateItemImages();
  void createAddTabButton();

  std::shared_ptr<ZqAddTabViewController> addTabViewController_;
  bool isDarkMode_ = false;
  std::weak_ptr<velquarin::platform::Window> window_;
  std::string toolbarIdentifier_;
  std::vector<nlohmann::json> toolbarDefinitions_;
  std::map<std::string, std::shared_ptr<ZqToolbarItem>> toolbarItems_;
  nlohmann::json options_;
  std::int32_t windowId_ = 0;
  std::shared_ptr<ZqToolbar> toolbar_;
  velquarin::platform::ObserverId themeObserver_ = 0;
  velquarin::platform::ObserverId closeObserver_ = 0;
  // The standard types that joined the allowed list, first definition first.
  std::vector<std::string> allowedStandardIdentifiers_;
};
