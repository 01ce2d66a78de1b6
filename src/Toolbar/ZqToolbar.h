#pragma once

#include <memory>
#include <string>

#include "Toolbar/ZqAddTabView.h"
#include "runloop/MainQueue.h"
#include "toolbar/Toolbar.h"

// The module's toolbar: every road to the customisation palette hides the add-tab button
// while the palette runs and shows it again afterwards when it was showing.
class ZqToolbar : public velquarin::platform::Toolbar {
 public:
  static constexpr double kPaletteTimerInterval = 0.1;

  explicit ZqToolbar(std::string identifier) : Toolbar(std::move(identifier)) {}
  ~ZqToolbar() override;

  bool needToShowAddTabButton = false;
  std::weak_ptr<ZqAddTabViewDelegate> toolbarController;

  void runCustomizationPalette() override;
  void stopPaletteTimer();

 private:
  void timerFired();

  velquarin::platform::TimerId paletteTimer_ = 0;
};
