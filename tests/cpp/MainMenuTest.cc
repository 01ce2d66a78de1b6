#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "Menu/ZqMainMenu.h"
#include "application/Application.h"

using velquarin::platform::Application;
using velquarin::platform::Event;
using velquarin::platform::EventType;
using velquarin::platform::Menu;
using velquarin::platform::MenuItem;
namespace Flags = velquarin::platform::EventModifierFlags;
using json = nlohmann::json;

Event makeEvent(EventType type, std::uint64_t flags, std::uint16_t keyCode = 0,
                std::string characters = {}, std::string ignoringModifiers = {}) {
  Event event;
  event.type = type;
  event.modifierFlags = flags;
  event.keyCode = keyCode;
  event.characters = std::move(characters);
  event.charactersIgnoringModifiers = std::move(ignoringModifiers);
  return event;
}

TEST(MainMenu, EventDescriptionReadsOnlyWhatTheEventHas) {
  EXPECT_EQ(ZqMenuEventDescription(nullptr), json::object());

  Event key = makeEvent(EventType::KeyDown, Flags::Command | Flags::Shift, 2, "D", "d");
  const auto commanded = ZqMenuEventDescription(&key);
  EXPECT_EQ(commanded["chars"], "D");  // with command: the characters
  EXPECT_EQ(commanded["key-code"], 2);
  EXPECT_EQ(commanded["keyboard?"], true);
  EXPECT_EQ(commanded["mouse?"], false);
  EXPECT_EQ(commanded["shift-modifier?"], true);
  EXPECT_EQ(commanded["option-modifier?"], false);

  key.modifierFlags = Flags::Option | Flags::Function;
  key.characters = "∂";
  const auto plain = ZqMenuEventDescription(&key);
  EXPECT_EQ(plain["chars"], "d");  // else: ignoring modifiers
  EXPECT_EQ(plain["function-modifier?"], true);

  // A modifier change has a key code but no characters; a click has neither.
  const Event flags = makeEvent(EventType::FlagsChanged, Flags::Control, 59);
  EXPECT_FALSE(ZqMenuEventDescription(&flags).contains("chars"));
  EXPECT_EQ(ZqMenuEventDescription(&flags)["key-code"], 59);
  const Event click = makeEvent(EventType::LeftMouseDown, Flags::Control);
  const auto mouse = ZqMenuEventDescription(&click);
  EXPECT_EQ(mouse["mouse?"], true);
  EXPECT_FALSE(mouse.contains("key-code") || mouse.contains("chars"));
}

TEST(MainMenu, CommandIdFollowsASwappedSubmenuAndAMenuLoopEnds) {
  auto leaf = [](const char* title, int id) {
    auto item = std::make_shared<MenuItem>(title);
    item->setRepresentedObject(json{{"commandId", id}});
    return item;
  };
  auto menu = std::make_shared<Menu>();
  auto file = std::make_shared<MenuItem>("File");
  auto first = std::make_shared<Menu>("File");
  first->addItem(leaf("Old", 7));
  file->setSubmenu(first);
  menu->addItem(file);
  Application::shared().setMainMenu(menu);
  ASSERT_EQ(ZqMainMenuUpdateMenuItemWithCommandId(7, R"({"title":"Old 2"})"), 1);

  // Same main menu, new submenu: the old item is alive (held here) but no longer under it.
  auto second = std::make_shared<Menu>("File");
  second->addItem(leaf("New", 7));
  file->setSubmenu(second);
  EXPECT_EQ(ZqMainMenuUpdateMenuItemWithCommandId(7, R"({"title":"New 2"})"), 1);
  EXPECT_EQ(second->itemAt(0)->title(), "New 2");
  EXPECT_EQ(first->itemAt(0)->title(), "Old 2");

  // A submenu that holds an item whose submenu is itself: indexing and the walk up both end.
  auto loop = std::make_shared<MenuItem>("Loop");
  loop->setSubmenu(second);
  second->addItem(loop);
  auto again = std::make_shared<Menu>();
  again->addItem(file);
  Application::shared().setMainMenu(again);
  EXPECT_EQ(ZqMainMenuUpdateMenuItemWithCommandId(7, "{}"), 0);
  Application::shared().setMainMenu(nullptr);
}
