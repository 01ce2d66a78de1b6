#pragma once

#include <memory>

#include "drawing/Graphics.h"
#include "images/ImageTypes.h"

// The add-tab button's owner: told of clicks, and what shows or hides the button.
class ZqAddTabViewDelegate {
 public:
  virtual ~ZqAddTabViewDelegate() = default;
  virtual void addTabViewButtonClicked() = 0;
  virtual bool isAddTabViewShowing() const = 0;
  virtual void showAddTabButton() = 0;
  virtual void hideAddTabButton() = 0;
};

// The add-tab button's view: 25 x 24 points at the right end of the title bar.
class ZqAddTabView {
 public:
  static constexpr velquarin::platform::Size kSize{25, 24};

  explicit ZqAddTabView(const std::shared_ptr<ZqAddTabViewDelegate>& delegate, bool isDarkMode);

  bool isHovering = false;
  bool isDarkMode = false;
  std::weak_ptr<ZqAddTabViewDelegate> delegate;

  // A mouse-down anywhere in the view.
  void mouseDown();
  void setHovering(bool hovering) { isHovering = hovering; }
  // Gradient, edge along the top and left, and a plus sign, in the colours of the window's
  // state and the appearance recorded last.
  void drawRect(velquarin::platform::Graphics& graphics, velquarin::platform::Rect bounds,
                bool windowIsMain) const;
};
