#include "Toolbar/ZqAddTabView.h"

#include <algorithm>
#include <array>

#include "Extensions/NSColor+ZqExtensions.h"

using velquarin::platform::Graphics;
using velquarin::platform::PathPoint;
using velquarin::platform::Rect;

namespace {

constexpr double kPlusSize = 11;

struct AddTabColors {
  const char* gradientStart;
  const char* gradientEnd;
  const char* edge;
  const char* plus;
};

AddTabColors colorsFor(bool windowIsMain, bool hovering, bool dark) {
  if (!windowIsMain) {
    return dark ? AddTabColors{"1b1c1d", "1b1c1d", "494a4c", "303132"}
                : AddTabColors{"e5e4e5", "e5e4e5", "cecece", "cecece"};
  }
  if (hovering) {
    return dark ? AddTabColors{"292929", "262626", "515253", "a3a3a3"}
                : AddTabColors{"b4b2b4", "acaaac", "979797", "696869"};
  }
  return dark ? AddTabColors{"212121", "1f1f1f", "515253", "828282"}
              : AddTabColors{"c2c0c2", "bab8ba", "8b898b", "696869"};
}

}  // namespace

ZqAddTabView::ZqAddTabView(const std::shared_ptr<ZqAddTabViewDelegate>& delegate, bool isDarkMode)
    : isDarkMode(isDarkMode), delegate(delegate) {}

void ZqAddTabView::mouseDown() {
  if (auto controller = delegate.lock()) controller->addTabViewButtonClicked();
}

void ZqAddTabView::drawRect(Graphics& graphics, Rect bounds, bool windowIsMain) const {
  Rect area = bounds;
  area.height = std::min(bounds.width - 1, bounds.height);
  graphics.clipToRect(area);
  const auto colors = colorsFor(windowIsMain, isHovering, isDarkMode);
  graphics.fillLinearGradient(area, zq_colorWithHexColorString(colors.gradientStart),
                              zq_colorWithHexColorString(colors.gradientEnd), 270);
  const double minX = area.x, minY = area.y;
  const double maxX = area.x + area.width, maxY = area.y + area.height;
  const std::array<PathPoint, 3> edge = {{{maxX, maxY}, {minX, maxY}, {minX, minY}}};
  graphics.strokePath(edge, zq_colorWithHexColorString(colors.edge), 1);
  const double midX = area.x + area.width / 2, midY = area.y + area.height / 2;
  const double insetY = (area.height - kPlusSize) / 2, insetX = (area.width - kPlusSize) / 2;
  const auto plus = zq_colorWithHexColorString(colors.plus);
  const std::array<PathPoint, 2> vertical = {{{midX, minY + insetY}, {midX, maxY - insetY}}};
  const std::array<PathPoint, 2> horizontal = {{{minX + insetX, midY}, {maxX - insetX, midY}}};
  graphics.strokePath(vertical, plus, 1);
  graphics.strokePath(horizontal, plus, 1);
}
