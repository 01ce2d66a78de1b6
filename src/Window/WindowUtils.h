#pragma once

#include <napi.h>

#include <cstdint>
#include <memory>

#include "notificationcenter/NotificationCenter.h"
#include "windows/Window.h"

// Services around the host's windows: main/key notices for its browser windows, the
// delayed re-announcement of backing changes, hiding and resizing a window's content, and
// dragging the page address out of the title bar. Main thread only.

// The host's browser windows are of class "AtomNSWindow" or a subclass of it.
bool ZqIsBrowserWindow(const velquarin::platform::Window* window);

// The observer of window notifications, created once.
class ZqWindowUtils {
 public:
  static ZqWindowUtils& sharedInstance();
  // Observes the four main/key notifications and the backing-properties one (once).
  void registerCallbacks();
  void windowNotification(const velquarin::platform::Notification& notification);
  void windowDidChangeScreenBacking(const velquarin::platform::Notification& notification);

 private:
  ZqWindowUtils() = default;
  bool registered_ = false;
};

// Start-up: the title-bar drag method on the host's window delegate class, and the observers.
void ZqInstallDelegateMethods();
void ZqListenForWindowNotifications();

void ZqSetWindowNotificationCallback(Napi::Value function);
void ZqSetQueryWindowTraitCallback(Napi::Value function);

// `window` null: logged and nothing else. A negative delay counts as 0; the content comes
// back on a later turn of the main queue, never at once, and not for a closed window.
void ZqHideWindowContent(const std::shared_ptr<velquarin::platform::Window>& window,
                         std::int32_t delayMilliseconds);
// Sizes below 0 count as 0; the size asked for is set as it is.
void ZqResizeWindowContent(const std::shared_ptr<velquarin::platform::Window>& window,
                           std::int32_t width, std::int32_t height);
