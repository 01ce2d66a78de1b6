#include "menus/StatusBar.h"

#include <algorithm>
#include <cmath>

#include "drawing/Graphics.h"

namespace velquarin::platform {

namespace {

// The largest length an item may take: no status area is wider than a large screen.
constexpr double kMaxLength = 10000;

}  // namespace

void StatusItem::setLength(double length) {
  length_ = std::isfinite(length) ? std::clamp(length, 0.0, kMaxLength) : 0;
  changed();
}

void StatusItem::changed() {
  if (bar_) bar_->notifyChange();
}

bool StatusItem::isHighlighted() const {
  return highlightMode_ && bar_ && bar_->openItem().get() == this;
}

StatusBar& StatusBar::system() {
  static auto* bar = new StatusBar();  // never destroyed: items may outlive static teardown
  return *bar;
}

std::shared_ptr<StatusItem> StatusBar::statusItemWithLength(double length) {
  auto item = std::make_shared<StatusItem>(this, 0);
  item->setLength(length);
  items_.push_back(item);
  notifyChange();
  return item;
}

void StatusBar::addChangeObserver(std::function<void()> observer) {
  changeObservers_.push_back(std::move(observer));
}

void StatusBar::notifyChange() {
  // A copy: an observer may add another.
  const auto observers = changeObservers_;
  for (const auto& observer : observers) observer();
}

void StatusBar::removeStatusItem(const std::shared_ptr<StatusItem>& item) {
  if (!item || item->bar_ != this) return;
  if (openItem_ == item) closeMenu();
  item->bar_ = nullptr;
  std::erase(items_, item);
  notifyChange();
}

bool StatusBar::openMenu(const std::shared_ptr<StatusItem>& item) {
  if (!item || item->bar_ != this || opening_) return false;
  auto menu = item->menu();
  if (!menu) return false;
  closeMenu();
  opening_ = true;
  menu->update();  // may change or remove the item: both are held here
  opening_ = false;
  if (item->bar_ != this || item->menu() != menu) return false;
  openItem_ = item;
  openMenu_ = menu;
  return true;
}

bool StatusBar::chooseItem(const std::vector<std::size_t>& path) {
  if (!openMenu_ || path.empty()) return false;
  std::shared_ptr<Menu> menu = openMenu_;
  std::shared_ptr<MenuItem> item;
  for (std::size_t depth = 0; depth < path.size(); ++depth) {
    if (!menu) return false;
    item = menu->itemAt(path[depth]);
    if (!item) return false;
    if (depth + 1 < path.size()) menu = item->submenu();
  }
  if (item->isSeparatorItem() || !item->isEnabled() || item->action().empty() || !item->target()) {
    return false;
  }
  closeMenu();
  return menu->performActionForItem(item);
}

void StatusBar::closeMenu() {
  auto menu = std::move(openMenu_);
  openMenu_.reset();
  openItem_.reset();
  if (menu) menu->didClose();
}

namespace {

constexpr Color kBarColor{0.93, 0.93, 0.93, 1};
constexpr Color kHighlightColor{0.72, 0.76, 0.85, 1};
constexpr Color kTextColor{0, 0, 0, 0.88};
constexpr Color kDisabledColor{0, 0, 0, 0.35};
constexpr Color kMenuColor{0.98, 0.98, 0.98, 1};
constexpr Color kBorderColor{0.7, 0.7, 0.7, 1};
constexpr Color kSeparatorColor{0, 0, 0, 0.15};
constexpr double kMenuPadding = 5;
constexpr double kCheckColumn = 20;
constexpr double kImageColumn = 22;

double rowHeight(const MenuItem& item) {
  if (item.isSeparatorItem()) return 11;
  return item.displayedFont().size < Font::kMenuBarFontSize ? 19 : 23;
}

}  // namespace

std::shared_ptr<Image> StatusBar::render(double scale) const {
  double barWidth = 8;
  double openX = 8;
  for (const auto& item : items_) {
    if (item == openItem_) openX = barWidth;
    barWidth += item->length();
  }
  barWidth += 8;

  double menuWidth = 0;
  double menuHeight = 0;
  bool hasImages = false;
  if (openMenu_) {
    double widest = 0;
    for (const auto& item : openMenu_->items()) {
      menuHeight += rowHeight(*item);
      if (item->image()) hasImages = true;
      if (!item->isSeparatorItem()) {
        widest = std::max(widest, measureText(item->displayedTitle(), item->displayedFont()).width);
      }
    }
    menuWidth =
        std::clamp(widest + kCheckColumn + (hasImages ? kImageColumn : 0) + 24, 160.0, 640.0);
    menuHeight += 2 * kMenuPadding;
  }
  const double width = std::max(barWidth, openX + menuWidth + 8);
  const double height = StatusBar::kThickness + (openMenu_ ? menuHeight + 8 : 0);
  Graphics graphics(Size{width, height}, scale);

  const double barY = height - kThickness;
  graphics.fillRect(Rect{0, barY, width, kThickness}, kBarColor);
  double x = 8;
  for (const auto& item : items_) {
    if (item->isHighlighted()) {
      graphics.fillRoundedRect(Rect{x, barY + 1, item->length(), kThickness - 2}, 4,
                               kHighlightColor);
    }
    double cursor = x + 4;
    if (const auto& image = item->image()) {
      const Size size = image->size();
      const double high = std::clamp(size.height, 1.0, kThickness - 4);
      const double wide = size.height > 0 ? size.width * high / size.height : high;
      const Rect at{cursor, barY + (kThickness - high) / 2, wide, high};
      if (item->imageIsTemplate()) {
        graphics.drawImage(*image, at, &kTextColor);
      } else {
        graphics.drawImage(*image, at);
      }
      cursor += wide + 3;
    }
    if (item->title() && !item->title()->empty()) {
      const Font font = Font::menuBarFont();
      const double lineHeight = measureText("", font).height;
      const double room = std::max(x + item->length() - cursor, 1.0);
      graphics.drawText(*item->title(), font,
                        Rect{cursor, barY + (kThickness - lineHeight) / 2, room, lineHeight},
                        kTextColor);
    }
    x += item->length();
  }

  if (openMenu_) {
    const Rect panel{openX, 4, menuWidth, menuHeight};
    graphics.fillRoundedRect(panel, 6, kBorderColor);
    graphics.fillRoundedRect(Rect{panel.x + 1, panel.y + 1, panel.width - 2, panel.height - 2}, 5,
                             kMenuColor);
    double top = panel.y + panel.height - kMenuPadding;
    for (const auto& item : openMenu_->items()) {
      const double row = rowHeight(*item);
      top -= row;
      if (item->isSeparatorItem()) {
        graphics.fillRect(Rect{panel.x + 8, top + row / 2, panel.width - 16, 1}, kSeparatorColor);
        continue;
      }
      const Color color = item->isEnabled() ? kTextColor : kDisabledColor;
      const Font font = item->displayedFont();
      const double lineHeight = measureText("", font).height;
      const double textY = top + (row - lineHeight) / 2;
      if (item->state() != ControlState::Off) {
        graphics.drawText(item->state() == ControlState::On ? "\u2713" : "\u2013", font,
                          Rect{panel.x + 5, textY, kCheckColumn - 5, lineHeight}, color);
      }
      double textX = panel.x + kCheckColumn;
      if (hasImages) {
        if (const auto& image = item->image()) {
          graphics.drawImage(*image, Rect{textX, top + (row - 16) / 2, 16, 16});
        }
        textX += kImageColumn;
      }
      graphics.drawText(item->displayedTitle(), font,
                        Rect{textX, textY, panel.x + panel.width - 10 - textX, lineHeight}, color);
    }
  }
  return graphics.image();
}

}  // namespace velquarin::platform
