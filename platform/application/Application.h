#pragma once

#include <memory>

#include "application/ApplicationDelegate.h"
#include "menus/Menu.h"

namespace velquarin::platform {

// The running application as the desktop sees it: its main menu (built and replaced by the
// host), its delegate and what the dock asks of it. Main thread only.
//
// Keyboard dispatch builds on this: the main menu is reached only through mainMenu(), so a
// replacement made while a key is being matched is seen by the next lookup.
class Application {
 public:
  static Application& shared();

  std::shared_ptr<Menu> mainMenu() const { return mainMenu_; }
  // The host sets a whole new menu when its menus change; the old one is dropped (items the
  // module still holds weakly then expire).
  void setMainMenu(std::shared_ptr<Menu> menu) { mainMenu_ = std::move(menu); }

  // Null once removed (a child process of the host framework runs without one).
  std::shared_ptr<ApplicationDelegate> delegate() const { return delegate_; }
  void setDelegate(std::shared_ptr<ApplicationDelegate> delegate) {
    delegate_ = std::move(delegate);
  }

  // What the dock does when the user opens the application's dock menu.
  std::shared_ptr<Menu> dockMenu();

 private:
  Application();
  std::shared_ptr<Menu> mainMenu_;
  std::shared_ptr<ApplicationDelegate> delegate_;
};

}  // namespace velquarin::platform
