#include "appearance/Appearance.h"

#include <chrono>
#include <future>
#include <mutex>

#include "appearance/DesktopColorScheme.h"
#include "notificationcenter/NotificationCenter.h"
#include "runloop/MainQueue.h"

namespace velquarin::platform {
namespace {

struct AppearanceState {
  std::mutex mutex;
  std::optional<AppearanceStyle> style;                             // nothing until first asked
  std::shared_future<std::optional<AppearanceStyle>> portalAnswer;  // the watch's first read
};

AppearanceState& state() {
  static AppearanceState* appearance = new AppearanceState();
  return *appearance;
}

// Stores `style`; posts outside the lock so observers may ask for the appearance.
void apply(AppearanceStyle style) {
  bool changed = false;
  {
    std::lock_guard lock(state().mutex);
    changed = state().style != style;
    state().style = style;
  }
  if (changed) NotificationCenter::distributedCenter().post(Appearance::kThemeChangedNotification);
}

// Desktop changes reach the application on the main thread, as other desktop events do.
void watchDesktop() {
  static std::once_flag once;
  std::call_once(once, [] {
    state().portalAnswer = watchPortalColorScheme(
        [](AppearanceStyle style) { MainQueue::shared().async([style] { apply(style); }); });
  });
}

// The watch's first read, once it is known: the watch is in place by then. A connection and
// two calls, each call capped, bound the wait.
std::optional<AppearanceStyle> portalAnswer() {
  watchDesktop();
  const auto& answer = state().portalAnswer;
  if (answer.wait_for(std::chrono::milliseconds(750)) != std::future_status::ready) {
    return std::nullopt;
  }
  return answer.get();
}

}  // namespace

void Appearance::prepare() {
  watchDesktop();
}

AppearanceStyle Appearance::current() {
  watchDesktop();
  {
    std::lock_guard lock(state().mutex);
    if (state().style) return *state().style;
  }
  // Wait without the lock: the desktop may take a moment to answer.
  const AppearanceStyle read = appearanceFrom(portalAnswer());
  std::lock_guard lock(state().mutex);
  if (!state().style) state().style = read;  // the first value is no change
  return *state().style;
}

void Appearance::set(AppearanceStyle style) {
  apply(style);
}

AppearanceStyle Appearance::reload() {
  portalAnswer();  // a change announced after this returns is seen
  const AppearanceStyle read = readDesktopAppearance();
  apply(read);
  return read;
}

const char* Appearance::name(AppearanceStyle style) {
  return style == AppearanceStyle::Dark ? "dark" : "light";
}

std::optional<AppearanceStyle> Appearance::fromName(const std::string& name) {
  if (name == "dark") return AppearanceStyle::Dark;
  if (name == "light") return AppearanceStyle::Light;
  return std::nullopt;
}

}  // namespace velquarin::platform
