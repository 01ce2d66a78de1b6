// The status menu's content as the host answers it: JSON text (the first byte chooses the
// full menu or the dock's) parsed the module's way and built into menu items, whose actions
// are then chosen. The menu has the commands plus one line per account in the dock form and
// at least an account line and a separator per account in the full one.

#include <cstdint>
#include <memory>
#include <string>

#include "FuzzSupport.h"
#include "StatusItem/ZqStatusItemController.h"
#include "Utilities/ZqJSON.h"
#include "menus/Menu.h"
#include "menus/MenuItem.h"

using velquarin::platform::Menu;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  static const auto controller = ZqStatusItemController::create();
  const bool full = (data[0] & 1) != 0;
  const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);

  std::size_t accounts = 0;
  controller->setMenuNeedsUpdateCallback([&](const std::string&, bool) {
    auto content = ZqConvertFromJSONString(text);
    if (!content || !content->is_object()) return nlohmann::json::object();
    const auto found = content->find("accounts");
    if (found != content->end() && found->is_array()) accounts = found->size();
    return std::move(*content);
  });
  auto menu = std::make_shared<Menu>();
  controller->menuNeedsUpdate(*menu, full ? "status-item" : "dock", full);

  const std::size_t items = menu->numberOfItems();
  if (full) {
    ZQ_FUZZ_CHECK(items >= 3 + 2 * accounts, std::to_string(items) + " items");
  } else {
    ZQ_FUZZ_CHECK(items == 4 + accounts, std::to_string(items) + " items");
  }
  for (const auto& item : menu->items()) {
    if (item->isSeparatorItem()) continue;
    (void)item->displayedTitle();
    (void)controller->validateMenuItem(*item);
    controller->performAction(item->action(), *item);
  }
  return 0;
}
