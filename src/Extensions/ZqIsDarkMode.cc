#include "Extensions/ZqIsDarkMode.h"

#include "appearance/Appearance.h"

bool ZqIsDarkMode() {
  // Every version of this platform has appearances, so there is no version to check first.
  return velquarin::platform::Appearance::current() == velquarin::platform::AppearanceStyle::Dark;
}
