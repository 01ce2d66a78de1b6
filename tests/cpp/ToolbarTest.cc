#include "toolbar/Toolbar.h"

#include <gtest/gtest.h>

#include "defaults/UserDefaults.h"

using namespace velquarin::platform;

namespace {

// Host items "a", "b" and "c", all allowed, "a" and "b" shown first.
class Items : public ToolbarDelegate {
 public:
  std::vector<std::string> allowedItemIdentifiers() override { return {"a", "b", "c"}; }
  std::vector<std::string> defaultItemIdentifiers() override { return {"a", "b"}; }
  std::vector<std::string> selectableItemIdentifiers() override { return {}; }
  std::shared_ptr<ToolbarItem> itemForIdentifier(const std::string& identifier, bool) override {
    auto& item = made[identifier];
    if (!item && identifier.size() == 1) item = std::make_shared<ToolbarItem>(identifier);
    return item;
  }
  std::map<std::string, std::shared_ptr<ToolbarItem>> made;
};

std::vector<std::string> identifiersOf(const Toolbar& toolbar) {
  std::vector<std::string> identifiers;
  for (const auto& item : toolbar.items()) identifiers.push_back(item->identifier());
  return identifiers;
}

std::shared_ptr<Toolbar> attached(const std::string& identifier,
                                  const std::shared_ptr<Items>& items) {
  auto toolbar = std::make_shared<Toolbar>(identifier);
  toolbar->autosavesConfiguration = true;
  toolbar->setDelegate(items);
  toolbar->attach();
  return toolbar;
}

}  // namespace

TEST(Toolbar, InsertMovesHostItemsRepeatsStandardOnesAndClampsIndexes) {
  UserDefaults::standard()->remove("NSToolbar Configuration edit");
  auto items = std::make_shared<Items>();  // the toolbar holds its delegate weakly
  auto toolbar = attached("edit", items);
  EXPECT_TRUE(toolbar->insertItemWithIdentifier("b", 0));
  EXPECT_TRUE(toolbar->insertItemWithIdentifier(toolbaritem::kSpace, 99));
  EXPECT_TRUE(toolbar->insertItemWithIdentifier(toolbaritem::kSpace, 99));
  EXPECT_FALSE(toolbar->insertItemWithIdentifier("unknown", 0));
  toolbar->removeItemAtIndex(42);
  const std::vector<std::string> expected = {"b", "a", toolbaritem::kSpace, toolbaritem::kSpace};
  EXPECT_EQ(identifiersOf(*toolbar), expected);
  // The arrangement saved with each change is what a second toolbar of that name starts with.
  EXPECT_EQ(identifiersOf(*attached("edit", std::make_shared<Items>())), expected);
  UserDefaults::standard()->remove("NSToolbar Configuration edit");
}

TEST(Toolbar, StoredConfigurationsOfTheWrongShapeFallBackToTheDefaults) {
  const std::vector<std::string> defaults = {"a", "b"};
  auto store = UserDefaults::standard();
  const std::vector<std::pair<std::string, PlistValue>> stored = {
      {"string", PlistValue(std::string("a"))},
      {"not-an-array", PlistDictionary{{"TB Item Identifiers", std::string("a")},
                                       {"TB Display Mode", std::int64_t{-1}},
                                       {"TB Is Shown", std::int64_t{0}}}},
  };
  for (const auto& [name, value] : stored) {
    store->set("NSToolbar Configuration " + name, value);
    auto toolbar = attached(name, std::make_shared<Items>());
    EXPECT_EQ(identifiersOf(*toolbar), defaults) << name;
    EXPECT_EQ(toolbar->displayMode(), ToolbarDisplayMode::Default) << name;
    EXPECT_TRUE(toolbar->isVisible()) << name;
    store->remove("NSToolbar Configuration " + name);
  }
}
