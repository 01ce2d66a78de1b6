#include "toolbar/Toolbar.h"

#include <algorithm>

#include "defaults/UserDefaults.h"

namespace velquarin::platform {
namespace {

constexpr const char* kIdentifiersKey = "TB Item Identifiers";
constexpr const char* kShownKey = "TB Is Shown";
constexpr const char* kDisplayModeKey = "TB Display Mode";

std::string configurationKey(const std::string& identifier) {
  return "NSToolbar Configuration " + identifier;
}

bool isDisplayMode(std::int64_t value) {
  return value >= 0 && value <= 3;
}

}  // namespace

Toolbar::Toolbar(std::string identifier) : identifier_(std::move(identifier)) {}

void Toolbar::setVisible(bool visible) {
  visible_ = visible;
  saveConfiguration();
}

void Toolbar::setDisplayMode(ToolbarDisplayMode mode) {
  displayMode_ = mode;
  saveConfiguration();
}

std::vector<std::shared_ptr<ToolbarItem>> Toolbar::visibleItems() const {
  return visible_ ? items_ : std::vector<std::shared_ptr<ToolbarItem>>();
}

std::shared_ptr<ToolbarItem> Toolbar::makeItem(const std::string& identifier, bool willBeInserted) {
  if (toolbaritem::isStandardIdentifier(identifier)) {
    auto item = std::make_shared<ToolbarItem>(identifier);
    return item;
  }
  auto delegate = delegate_.lock();
  return delegate ? delegate->itemForIdentifier(identifier, willBeInserted) : nullptr;
}

bool Toolbar::insertItemWithIdentifier(const std::string& identifier, std::size_t index) {
  auto item = makeItem(identifier, true);
  if (!item) return false;
  // A host item shows at most once; inserting it again moves it.
  if (!item->isStandard()) std::erase(items_, item);
  items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(std::min(index, items_.size())),
                std::move(item));
  saveConfiguration();
  return true;
}

void Toolbar::removeItemAtIndex(std::size_t index) {
  if (index >= items_.size()) return;
  items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(index));
  saveConfiguration();
}

void Toolbar::validateVisibleItems() {
  for (const auto& item : visibleItems()) item->validate();
}

void Toolbar::attach() {
  if (attached_) return;
  attached_ = true;
  auto delegate = delegate_.lock();
  auto identifiers = storedIdentifiers();
  if (!identifiers && delegate) identifiers = delegate->defaultItemIdentifiers();
  for (const auto& identifier : identifiers.value_or(std::vector<std::string>())) {
    if (auto item = makeItem(identifier, true)) {
      if (item->isStandard() || std::ranges::find(items_, item) == items_.end()) {
        items_.push_back(std::move(item));
      }
    }
  }
  restoreConfiguration();
}

std::optional<std::vector<std::string>> Toolbar::storedIdentifiers() const {
  if (!autosavesConfiguration) return std::nullopt;
  const auto stored = UserDefaults::standard()->dictionaryValue(configurationKey(identifier_));
  if (!stored) return std::nullopt;
  const auto found = stored->find(kIdentifiersKey);
  if (found == stored->end() || !found->second.asArray()) return std::nullopt;
  std::vector<std::string> identifiers;
  // Stored names the delegate no longer allows are dropped.
  auto delegate = delegate_.lock();
  const auto allowed = delegate ? delegate->allowedItemIdentifiers() : std::vector<std::string>();
  for (const auto& value : *found->second.asArray()) {
    const auto* identifier = value.asString();
    if (!identifier) continue;
    if (toolbaritem::isStandardIdentifier(*identifier) ||
        std::ranges::find(allowed, *identifier) != allowed.end()) {
      identifiers.push_back(*identifier);
    }
  }
  return identifiers;
}

void Toolbar::restoreConfiguration() {
  if (!autosavesConfiguration) return;
  const auto stored = UserDefaults::standard()->dictionaryValue(configurationKey(identifier_));
  if (!stored) return;
  if (auto shown = stored->find(kShownKey); shown != stored->end()) {
    if (auto value = shown->second.asBoolean()) visible_ = *value;
  }
  if (auto mode = stored->find(kDisplayModeKey); mode != stored->end()) {
    if (auto value = mode->second.asInteger(); value && isDisplayMode(*value)) {
      displayMode_ = static_cast<ToolbarDisplayMode>(*value);
    }
  }
}

void Toolbar::saveConfiguration() const {
  if (!autosavesConfiguration || !attached_) return;
  PlistArray identifiers;
  for (const auto& item : items_) identifiers.emplace_back(item->identifier());
  PlistDictionary configuration;
  configuration[kIdentifiersKey] = std::move(identifiers);
  configuration[kShownKey] = visible_;
  configuration[kDisplayModeKey] = static_cast<std::int64_t>(displayMode_);
  UserDefaults::standard()->set(configurationKey(identifier_), std::move(configuration));
}

void Toolbar::runCustomizationPalette() {
  paletteRunning_ = true;
}

void Toolbar::endCustomizationPalette(const std::optional<std::vector<std::string>>& identifiers) {
  if (!paletteRunning_) return;
  paletteRunning_ = false;
  if (!identifiers) return;
  auto delegate = delegate_.lock();
  const auto allowed = delegate ? delegate->allowedItemIdentifiers() : std::vector<std::string>();
  items_.clear();
  for (const auto& identifier : *identifiers) {
    if (!toolbaritem::isStandardIdentifier(identifier) &&
        std::ranges::find(allowed, identifier) == allowed.end()) {
      continue;
    }
    insertItemWithIdentifier(identifier, items_.size());
  }
  saveConfiguration();
}

void Toolbar::clickItem(const std::shared_ptr<ToolbarItem>& item) {
  if (!item) return;
  if (item->identifier() == toolbaritem::kCustomizeToolbar) {
    runCustomizationPalette();
    return;
  }
  if (displayMode_ == ToolbarDisplayMode::LabelOnly && item->menuFormRepresentation) {
    item->validate();
  }
  if (!item->enabled) return;
  // A selectable item shows the selection once chosen.
  if (auto delegate = delegate_.lock()) {
    const auto selectable = delegate->selectableItemIdentifiers();
    if (std::ranges::find(selectable, item->identifier()) != selectable.end()) {
      selected_ = item->identifier();
    }
  }
  item->perform();
}

}  // namespace velquarin::platform
