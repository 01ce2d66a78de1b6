#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "application/ApplicationDelegate.h"
#include "application/Event.h"
#include "menus/Menu.h"
#include "runtime/MethodTable.h"

namespace velquarin::platform {

// Posted on the default centre, object the application, each time it becomes active.
inline constexpr const char* kApplicationDidBecomeActiveNotification =
    "ApplicationDidBecomeActiveNotification";

// The running application as the desktop sees it: its main menu (built and replaced by the
// host), its delegate, what the dock asks of it, and the dispatch of input events. Main
// thread only.
//
// Keyboard dispatch builds on this: the main menu is reached only through mainMenu(), so a
// replacement made while a key is being matched is seen by the next lookup.
class Application {
 public:
  // The host framework's application class, below the framework's own.
  static constexpr const char* kClassName = "AtomApplication";
  static constexpr const char* kFrameworkClassName = "NSApplication";
  static constexpr const char* kSendEvent = "sendEvent:";

  // Operations of the application class, by selector: event dispatch ("sendEvent:"), and
  // questions without arguments and event filters that a module may add.
  using EventOperations = MethodTable<void(Application&, const Event&)>;
  using QueryOperations = MethodTable<bool(Application&)>;
  using FilterOperations = MethodTable<Event(Application&, const Event&)>;
  static EventOperations& eventOperations();
  static QueryOperations& queryOperations();
  static FilterOperations& filterOperations();

  static Application& shared();
  const std::string& className() const { return className_; }

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

  // Makes `event` the current event (it stays so after), runs the local monitors, then the
  // class's "sendEvent:" on what they leave.
  void sendEvent(const Event& event);
  const std::optional<Event>& currentEvent() const { return currentEvent_; }
  void setCurrentEvent(std::optional<Event> event) { currentEvent_ = std::move(event); }

  // Local monitors see each event before dispatch, in the order added; one that answers
  // nothing swallows the event, one that answers another event replaces it.
  using Monitor = std::function<std::optional<Event>(const Event&)>;
  std::uint64_t addLocalMonitor(Monitor monitor);
  void removeLocalMonitor(std::uint64_t identifier);

  // Hiding or deactivating takes key and main from the windows; the reverse gives them
  // back. Becoming active posts kApplicationDidBecomeActiveNotification.
  bool isHidden() const { return hidden_; }
  bool isActive() const { return active_; }
  void hide();
  void unhide();
  void activate();
  void deactivate();

 private:
  Application();
  std::string className_ = kClassName;
  std::shared_ptr<Menu> mainMenu_;
  std::shared_ptr<ApplicationDelegate> delegate_;
  std::optional<Event> currentEvent_;
  std::map<std::uint64_t, std::shared_ptr<Monitor>> monitors_;
  std::uint64_t nextMonitor_ = 0;
  bool hidden_ = false;
  bool active_ = true;
};

// The framework's own "sendEvent:": a click makes its window key; a key event goes along the
// key window's responder chain from the first responder (a web view takes every key); a
// command or control key down nobody took goes to the main menu's key equivalents.
void dispatchEvent(Application& application, const Event& event);

}  // namespace velquarin::platform
