#pragma once

#include <memory>

#include "images/ImageTypes.h"

class ZqToolbarController;

// The add-tab button's view: 25 x 24 points at the right end of the title bar.
class ZqAddTabView {
 public:
  static constexpr velquarin::platform::Size kSize{25, 24};

  explicit ZqAddTabView(const std::shared_ptr<ZqToolbarController>& delegate, bool isDarkMode);

  bool isHovering = false;
  bool isDarkMode = false;
  std::weak_ptr<ZqToolbarController> delegate;

  // A mouse-down anywhere in the view.
  void mouseDown();
  void setHovering(bool hovering) { isHovering = hovering; }
};
