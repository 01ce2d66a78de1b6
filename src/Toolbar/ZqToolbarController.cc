#include "Toolbar/ZqToolbarController.h"

#include <algorithm>

#include "Exports.h"
#include "Extensions/ZqIsDarkMode.h"
#include "StatusItem/ZqHostFormat.h"
#include "Utilities/ZqCallbackSlot.h"
#include "Utilities/ZqConvert.h"
#include "Utilities/ZqImageNamed.h"
#include "Utilities/ZqJSON.h"
#include "Utilities/ZqLog.h"
#include "appearance/Appearance.h"
#include "runloop/MainQueue.h"
#include "windows/WindowRegistry.h"

using velquarin::platform::Appearance;
using velquarin::platform::Image;
using velquarin::platform::MainQueue;
using velquarin::platform::MenuItem;
using velquarin::platform::NotificationCenter;
using velquarin::platform::Size;
using velquarin::platform::ToolbarButton;
using velquarin::platform::ToolbarItem;
using velquarin::platform::Window;
namespace toolbaritem = velquarin::platform::toolbaritem;

namespace {

ZqCallbackSlot validationSlot("toolbar validation");
ZqCallbackSlot actionSlot("toolbar action");
ZqCallbackSlot addTabSlot("add-tab");

// Host text quoted in the log is cut to this many characters.
constexpr std::size_t kLoggedTextCharacters = 4096;
constexpr int kTexturedRoundedBezelStyle = 11;
constexpr Size kButtonSize{48, 32};
constexpr const char* kToolbarAction = "toolbarAction:";

// A string member, or nullopt when it is missing or of another type.
std::optional<std::string> stringOf(const nlohmann::json& object, const char* key) {
  const auto found = object.find(key);
  if (found == object.end() || !found->is_string()) return std::nullopt;
  return found->get<std::string>();
}

// Flags are on only for the boolean true.
bool flagOf(const nlohmann::json& object, const char* key) {
  const auto found = object.find(key);
  return found != object.end() && found->is_boolean() && found->get<bool>();
}

std::optional<std::string> standardIdentifierOfType(const std::string& type) {
  static const std::map<std::string, std::string> types = {
      {"space", toolbaritem::kSpace},
      {"flexible-space", toolbaritem::kFlexibleSpace},
      {"separator", toolbaritem::kSeparator},
      {"colors", toolbaritem::kShowColors},
      {"customize-toolbar", toolbaritem::kCustomizeToolbar},
      {"print", toolbaritem::kPrint},
      {"cloud-sharing", toolbaritem::kCloudSharing}};
  const auto found = types.find(type);
  if (found == types.end()) return std::nullopt;
  return found->second;
}

// The identifier a definition stands for: its standard item when it has a "type", else its
// "identifier".
std::optional<std::string> identifierOfDefinition(const nlohmann::json& definition) {
  if (definition.contains("type")) {
    const auto type = stringOf(definition, "type");
    return type ? standardIdentifierOfType(*type) : std::nullopt;
  }
  return stringOf(definition, "identifier");
}

std::vector<std::string> identifiersFlagged(const std::vector<nlohmann::json>& definitions,
                                            const char* flag) {
  std::vector<std::string> identifiers;
  for (const auto& definition : definitions) {
    if (!flagOf(definition, flag)) continue;
    if (auto identifier = identifierOfDefinition(definition)) identifiers.push_back(*identifier);
  }
  return identifiers;
}

std::shared_ptr<Image> themedImage(const std::string& name, bool dark) {
  if (dark) {
    if (auto variant = ZqImageNamed(name + "--wdark")) return variant;
  }
  return ZqImageNamed(name);
}

}  // namespace

std::vector<std::shared_ptr<ZqToolbarController>>& ZqToolbarController::allControllers() {
  static auto* controllers = new std::vector<std::shared_ptr<ZqToolbarController>>();
  return *controllers;
}

std::shared_ptr<ZqToolbarController> ZqToolbarController::toolbarControllerForWindowId(
    std::int32_t windowId) {
  for (const auto& controller : allControllers()) {
    if (controller->windowId_ == windowId) return controller;
  }
  return nullptr;
}

ZqToolbarController::ZqToolbarController(std::string identifier,
                                         std::vector<nlohmann::json> definitions,
                                         nlohmann::json options)
    : isDarkMode_(ZqIsDarkMode()),
      toolbarIdentifier_(std::move(identifier)),
      toolbarDefinitions_(std::move(definitions)),
      options_(std::move(options)) {}

std::shared_ptr<ZqToolbarController> ZqToolbarController::initWithDictionary(
    const nlohmann::json& definition, std::string* failure) {
  const auto identifier = stringOf(definition, "identifier");
  const auto items = definition.find("items");
  const auto options = definition.find("options");
  if (!identifier) {
    *failure = "need an identifier";
  } else if (items == definition.end() || !items->is_array()) {
    *failure = "need toolbar items.";
  } else if (options == definition.end() || !options->is_object()) {
    *failure = "need a dictionary of options.";
  } else {
    std::vector<nlohmann::json> definitions;
    for (const auto& item : *items) {
      if (item.is_object()) {
        definitions.push_back(item);
      } else {
        ZQ_LOG_WARN("Skipping a toolbar item definition that is not an object: %@",
                    ZqTruncateCharacters(item.dump(), kLoggedTextCharacters));
      }
    }
    auto controller =
        std::make_shared<ZqToolbarController>(*identifier, std::move(definitions), *options);
    std::weak_ptr<ZqToolbarController> weak = controller;
    controller->themeObserver_ = NotificationCenter::distributedCenter().addObserver(
        Appearance::kThemeChangedNotification, nullptr, NotificationCenter::Delivery::Posting,
        [weak](const auto&) {
          MainQueue::shared().async([weak] {
            if (auto held = weak.lock()) held->appearanceChanged();
          });
        });
    return controller;
  }
  return nullptr;
}

ZqToolbarController::~ZqToolbarController() {
  NotificationCenter::distributedCenter().removeObserver(themeObserver_);
  NotificationCenter::defaultCenter().removeObserver(closeObserver_);
}

bool ZqToolbarController::addToWindow(const std::shared_ptr<Window>& window,
                                      std::int32_t windowId) {
  if (window_.lock() || toolbar_) {
    ZQ_LOG_ERROR("Cannot call this method twice.");
    return false;
  }
  std::weak_ptr<ZqToolbarController> weak = shared_from_this();
  closeObserver_ = NotificationCenter::defaultCenter().addObserver(
      velquarin::platform::kWindowWillCloseNotification, window.get(),
      NotificationCenter::Delivery::Posting, [weak](const auto&) {
        if (auto held = weak.lock()) held->retire();
      });
  window_ = window;
  windowId_ = windowId;
  toolbar_ = std::make_shared<ZqToolbar>(toolbarIdentifier_);
  toolbar_->allowsExtensionItems = flagOf(options_, "allows-extension-items?");
  toolbar_->allowsUserCustomization = flagOf(options_, "allows-user-customization?");
  toolbar_->autosavesConfiguration = flagOf(options_, "autosaves-configuration?");
  toolbar_->showsBaselineSeparator = false;
  toolbar_->setDelegate(shared_from_this());
  toolbar_->toolbarController = weak;
  allControllers().push_back(shared_from_this());
  window->setToolbar(toolbar_);
  createAddTabButton();
  return true;
}

std::shared_ptr<ZqToolbar> ZqToolbarController::toolbar() const {
  return toolbar_;
}

void ZqToolbarController::retire() {
  auto self = shared_from_this();  // the list may hold the last reference
  NotificationCenter::defaultCenter().removeObserver(closeObserver_);
  closeObserver_ = 0;
  if (toolbar_) toolbar_->stopPaletteTimer();
  if (auto window = window_.lock(); window && addTabViewController_) {
    window->removeTitlebarAccessoryViewController(addTabViewController_.get());
  }
  std::erase(allControllers(), self);
}

std::vector<std::string> ZqToolbarController::allowedItemIdentifiers() {
  std::vector<std::string> identifiers;
  std::vector<std::string> standard;
  for (const auto& definition : toolbarDefinitions_) {
    if (definition.contains("type")) {
      const auto identifier = identifierOfDefinition(definition);
      if (identifier && std::ranges::find(standard, *identifier) == standard.end()) {
        standard.push_back(*identifier);
      }
    } else if (auto identifier = stringOf(definition, "identifier")) {
      identifiers.push_back(*identifier);
    }
  }
  // Each distinct standard item once, after the host's own items.
  identifiers.insert(identifiers.end(), standard.begin(), standard.end());
  return identifiers;
}

std::vector<std::string> ZqToolbarController::defaultItemIdentifiers() {
  return identifiersFlagged(toolbarDefinitions_, "default?");
}

std::vector<std::string> ZqToolbarController::selectableItemIdentifiers() {
  return identifiersFlagged(toolbarDefinitions_, "selectable?");
}

std::optional<nlohmann::json> ZqToolbarController::definitionForIdentifier(
    const std::string& identifier) const {
  for (const auto& definition : toolbarDefinitions_) {
    if (definition.contains("type")) continue;
    if (stringOf(definition, "identifier") == identifier) return definition;
  }
  return std::nullopt;
}

std::shared_ptr<Image> ZqToolbarController::imageForItem(const nlohmann::json& definition) const {
  const auto name = stringOf(definition, "image-name");
  return name ? themedImage(*name, isDarkMode_) : nullptr;
}

std::shared_ptr<ToolbarItem> ZqToolbarController::itemForIdentifier(const std::string& identifier,
                                                                    bool) {
  if (auto found = toolbarItems_.find(identifier); found != toolbarItems_.end()) {
    return found->second;
  }
  const auto definition = definitionForIdentifier(identifier);
  if (!definition) return nullptr;
  auto self = shared_from_this();
  auto item = std::make_shared<ZqToolbarItem>(identifier, self);
  const auto label = stringOf(*definition, "label");
  item->label = label.value_or(std::string());
  item->paletteLabel = stringOf(*definition, "palette-label").value_or(item->label);
  if (auto image = imageForItem(*definition)) {
    if (flagOf(*definition, "button?")) {
      item->view = ToolbarButton{kTexturedRoundedBezelStyle, image, true, true};
      item->minSize = kButtonSize;
      item->maxSize = kButtonSize;
      auto menuForm = std::make_shared<MenuItem>(item->label, kToolbarAction, "");
      menuForm->setRepresentedObject(identifier);
      item->menuFormRepresentation = std::move(menuForm);
    }
    item->image = std::move(image);
    item->imageIsTemplate = true;
  }
  item->toolTip = stringOf(*definition, "tooltip").value_or(item->label);
  if (flagOf(*definition, "selected?") && toolbar_) toolbar_->setSelectedItemIdentifier(identifier);
  toolbarItems_[identifier] = item;
  return item;
}

bool ZqToolbarController::realValidateToolbarItem(const ToolbarItem& item) {
  if (item.identifier().empty()) {
    ZQ_LOG_WARN("Need item identifier.");
    return false;
  }
  if (!validationSlot.isSet()) return false;
  auto self = shared_from_this();  // the callback may close the window
  std::optional<bool> answer;
  bool produced = false;
  const std::string identifier = item.identifier();
  validationSlot.invoke(
      [&](Napi::Env env) -> std::vector<napi_value> {
        return {Napi::Number::New(env, windowId_), ZqToHostString(env, identifier)};
      },
      [&](Napi::Value result) {
        produced = true;
        if (result.IsBoolean()) answer = result.As<Napi::Boolean>().Value();
      });
  if (answer) return *answer;
  ZQ_LOG_WARN("Unknown result from callback function! %d", produced ? 0 : 1);
  return false;
}

void ZqToolbarController::toolbarAction(ToolbarItem& item) {
  if (!actionSlot.isSet()) return;
  if (item.identifier().empty()) {
    ZQ_LOG_WARN("Need item identifier.");
    return;
  }
  auto self = shared_from_this();
  const std::string identifier = item.identifier();
  const auto windowId = windowId_;
  actionSlot.invoke([&](Napi::Env env) -> std::vector<napi_value> {
    return {Napi::Number::New(env, windowId), ZqToHostString(env, identifier)};
  });
}

void ZqToolbarController::validateToolbarItems() {
  if (toolbar_) toolbar_->validateVisibleItems();
}

void ZqToolbarController::selectToolbarItem(const std::string& identifier) {
  if (toolbar_) toolbar_->setSelectedItemIdentifier(identifier);
}

void ZqToolbarController::toggleToolbarVisibility() {
  if (auto window = window_.lock()) window->toggleToolbarShown();
}

bool ZqToolbarController::isToolbarVisible() const {
  return toolbar_ && toolbar_->isVisible();
}

void ZqToolbarController::customizeToolbar() {
  if (toolbar_) toolbar_->runCustomizationPalette();
}

void ZqToolbarController::changeToolbarItemWithIdentifier(const std::string& identifier,
                                                          const std::string& imageName) {
  if (!toolbar_) return;
  for (const auto& item : toolbar_->visibleItems()) {
    if (item->identifier() != identifier || !item->view) continue;
    auto image = ZqImageNamed(imageName);
    if (!image) {
      ZQ_LOG_WARN("No image named %@ for toolbar item %@",
                  ZqTruncateCharacters(imageName, kLoggedTextCharacters), identifier);
    }
    item->view->image = std::move(image);
    item->view->imageIsTemplate = true;
    return;
  }
}

void ZqToolbarController::appearanceChanged() {
  isDarkMode_ = ZqIsDarkMode();
  if (addTabViewController_) addTabViewController_->view()->isDarkMode = isDarkMode_;
  updateItemImages();
}

void ZqToolbarController::updateItemImages() {
  // Every created item, also those in the palette now, so one put back shows the right
  // variant.
  for (const auto& [identifier, item] : toolbarItems_) {
    const auto definition = definitionForIdentifier(identifier);
    if (!definition) continue;
    auto image = imageForItem(*definition);
    if (item->image) item->image = image;
    if (item->view) item->view->image = image;
  }
}

void ZqToolbarController::createAddTabButton() {
  if (addTabViewController_) return;
  addTabViewController_ = std::make_shared<ZqAddTabViewController>(shared_from_this(), isDarkMode_);
  if (auto window = window_.lock())
    window->addTitlebarAccessoryViewController(addTabViewController_);
}

bool ZqToolbarController::isAddTabViewShowing() const {
  return addTabViewController_ && !addTabViewController_->hidden;
}

void ZqToolbarController::showAddTabButton() {
  if (!toolbar_ || !addTabViewController_) return;
  if (toolbar_->customizationPaletteIsRunning()) {
    toolbar_->needToShowAddTabButton = true;
    return;
  }
  if (isAddTabViewShowing()) return;
  addTabViewController_->hidden = false;
  const auto& items = toolbar_->items();
  const bool endsInSpace =
      !items.empty() && (items.back()->identifier() == toolbaritem::kSpace ||
                         items.back()->identifier() == toolbaritem::kFlexibleSpace);
  if (!endsInSpace) toolbar_->insertItemWithIdentifier(toolbaritem::kSpace, items.size());
}

void ZqToolbarController::hideAddTabButton() {
  if (!toolbar_ || !addTabViewController_) return;
  if (toolbar_->customizationPaletteIsRunning()) {
    toolbar_->needToShowAddTabButton = false;
    return;
  }
  if (!isAddTabViewShowing()) return;
  addTabViewController_->hidden = true;
  const auto& items = toolbar_->items();
  if (!items.empty() && items.back()->identifier() == toolbaritem::kSpace) {
    toolbar_->removeItemAtIndex(items.size() - 1);
  }
}

void ZqToolbarController::addTabViewButtonClicked() {
  auto self = shared_from_this();
  const auto windowId = windowId_;
  addTabSlot.invoke(
      [&](Napi::Env env) -> std::vector<napi_value> { return {Napi::Number::New(env, windowId)}; });
}

namespace zq::entries {
namespace {

std::shared_ptr<ZqToolbarController> controllerFor(const ZqArgs& args) {
  return ZqToolbarController::toolbarControllerForWindowId(ZqInt32Value(args.at(0)));
}

std::string quoted(Napi::Value value) {
  return ZqTruncateCharacters(ToCString(value), kLoggedTextCharacters);
}

}  // namespace

Napi::Value addToolbarToWindow(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 3);
  ZQ_CONTRACT(args[0]->IsObject());
  ZQ_CONTRACT(args[1]->IsInt32());
  ZQ_CONTRACT(args[2]->IsString());
  const auto window = ToWindow(args.at(0));
  if (!window) {
    ZQ_LOG_ERROR("Need a view with a window to add a toolbar: %@", quoted(args.at(0)));
    return args.Env().Undefined();
  }
  const auto text = ToCString(args.at(2));
  std::string error;
  const auto definition = ZqConvertFromJSONString(text, &error);
  if (!definition) {
    ZQ_LOG_ERROR("error parsing options %@ (%@)", ZqTruncateCharacters(text, kLoggedTextCharacters),
                 error);
    return args.Env().Undefined();
  }
  if (!definition->is_object()) {
    ZQ_LOG_ERROR("toolbar options must be a NSDictionary (%@)",
                 ZqTruncateCharacters(definition->dump(), kLoggedTextCharacters));
    return args.Env().Undefined();
  }
  std::string failure;
  auto controller = ZqToolbarController::initWithDictionary(*definition, &failure);
  if (!controller) {
    ZqReportContractViolation(args.Env(), "initWithDictionary", ZQ_SOURCE_BASENAME, __LINE__,
                              failure);
    return Napi::Value();
  }
  // A window has one toolbar: the controller it had goes, so lookups by id reach this one.
  const auto existing = ZqToolbarController::allControllers();
  for (const auto& old : existing) {
    if (old->window() == window) old->retire();
  }
  controller->addToWindow(window, ZqInt32Value(args.at(1)));
  return args.Env().Undefined();
}

Napi::Value setToolbarCallbackFunctions(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 3);
  validationSlot.set(args.at(0));
  actionSlot.set(args.at(1));
  addTabSlot.set(args.at(2));
  return args.Env().Undefined();
}

Napi::Value validateToolbarItems(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 1);
  ZQ_CONTRACT(args[0]->IsInt32());
  if (auto controller = controllerFor(args)) controller->validateToolbarItems();
  return args.Env().Undefined();
}

Napi::Value selectToolbarItem(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 2);
  ZQ_CONTRACT(args[0]->IsInt32());
  ZQ_CONTRACT(args[1]->IsString());
  if (auto controller = controllerFor(args)) controller->selectToolbarItem(ToCString(args.at(1)));
  return args.Env().Undefined();
}

Napi::Value toggleToolbarVisibility(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 1);
  ZQ_CONTRACT(args[0]->IsInt32());
  if (auto controller = controllerFor(args)) controller->toggleToolbarVisibility();
  return args.Env().Undefined();
}

Napi::Value isToolbarVisible(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 1);
  ZQ_CONTRACT(args[0]->IsInt32());
  const auto controller = controllerFor(args);
  return Napi::Boolean::New(args.Env(), controller && controller->isToolbarVisible());
}

Napi::Value customizeToolbar(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 1);
  ZQ_CONTRACT(args[0]->IsInt32());
  if (auto controller = controllerFor(args)) controller->customizeToolbar();
  return args.Env().Undefined();
}

Napi::Value changeImageOfToolbarItem(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 3);
  ZQ_CONTRACT(args[0]->IsInt32());
  ZQ_CONTRACT(args[1]->IsString());
  ZQ_CONTRACT(args[2]->IsString());
  if (auto controller = controllerFor(args)) {
    controller->changeToolbarItemWithIdentifier(ToCString(args.at(1)), ToCString(args.at(2)));
  }
  return args.Env().Undefined();
}

Napi::Value showAddTabButton(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 1);
  ZQ_CONTRACT(args[0]->IsInt32());
  if (auto controller = controllerFor(args)) controller->showAddTabButton();
  return args.Env().Undefined();
}

Napi::Value hideAddTabButton(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 1);
  ZQ_CONTRACT(args[0]->IsInt32());
  if (auto controller = controllerFor(args)) controller->hideAddTabButton();
  return args.Env().Undefined();
}

}  // namespace zq::entries
