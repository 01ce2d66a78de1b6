#include "appearance/Appearance.h"

#include <gtest/gtest.h>
#include <systemd/sd-bus.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

#include "ScopedEnvironment.h"
#include "appearance/DesktopColorScheme.h"
#include "notificationcenter/NotificationCenter.h"
#include "runloop/MainQueue.h"

using velquarin::platform::Appearance;
using velquarin::platform::AppearanceStyle;
using velquarin::platform::NotificationCenter;
namespace fs = std::filesystem;

namespace {

// A settings portal on the session bus that answers Read with a fixed colour scheme, served
// from its own thread.
class FakePortal {
 public:
  explicit FakePortal(std::uint32_t scheme) : scheme_(scheme) {
    if (sd_bus_open_user(&bus_) < 0) return;
    if (sd_bus_add_object_vtable(bus_, &slot_, "/org/freedesktop/portal/desktop",
                                 "org.freedesktop.portal.Settings", kVtable, this) < 0 ||
        sd_bus_request_name(bus_, "org.freedesktop.portal.Desktop", 0) < 0) {
      return;
    }
    serving_ = true;
    thread_ = std::thread([this] {
      while (!stop_) {
        if (const int scheme = announce_.exchange(-1); scheme >= 0) {
          sd_bus_emit_signal(bus_, "/org/freedesktop/portal/desktop",
                             "org.freedesktop.portal.Settings", "SettingChanged", "ssv",
                             "org.freedesktop.appearance", "color-scheme", "u",
                             static_cast<std::uint32_t>(scheme));
        }
        if (sd_bus_process(bus_, nullptr) > 0) continue;
        sd_bus_wait(bus_, 20'000);
      }
    });
  }
  ~FakePortal() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    sd_bus_slot_unref(slot_);
    sd_bus_flush_close_unref(bus_);
  }
  bool serving() const { return serving_; }
  // The desktop's setting changes: the portal says so to everyone listening.
  void announce(std::uint32_t scheme) { announce_ = static_cast<int>(scheme); }

 private:
  static int read(sd_bus_message* call, void* self, sd_bus_error* error) {
    const char* space = nullptr;
    const char* key = nullptr;
    if (sd_bus_message_read(call, "ss", &space, &key) < 0) return -EINVAL;
    if (std::strcmp(space, "org.freedesktop.appearance") != 0 ||
        std::strcmp(key, "color-scheme") != 0) {
      return sd_bus_error_set(error, "org.freedesktop.portal.Error.NotFound", "no such setting");
    }
    // Read answers a variant inside a variant.
    sd_bus_message* reply = nullptr;
    sd_bus_message_new_method_return(call, &reply);
    sd_bus_message_open_container(reply, 'v', "v");
    sd_bus_message_append(reply, "v", "u", static_cast<FakePortal*>(self)->scheme_);
    sd_bus_message_close_container(reply);
    const int sent = sd_bus_send(nullptr, reply, nullptr);
    sd_bus_message_unref(reply);
    return sent < 0 ? sent : 1;
  }

  static constexpr sd_bus_vtable kVtable[] = {
      SD_BUS_VTABLE_START(0),
      SD_BUS_METHOD("Read", "ss", "v", &FakePortal::read, SD_BUS_VTABLE_UNPRIVILEGED),
      SD_BUS_VTABLE_END,
  };

  std::uint32_t scheme_;
  sd_bus* bus_ = nullptr;
  sd_bus_slot* slot_ = nullptr;
  bool serving_ = false;
  std::atomic<bool> stop_{false};
  std::atomic<int> announce_{-1};
  std::thread thread_;
};

bool haveSessionBus() {
  const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
  return address && *address;
}

}  // namespace

// Dark and light answers of the portal are read in ADesktopChangeArrivesOnTheMainQueueAndIsPosted.
TEST(DesktopColorScheme, ThePortalsNoPreferenceLeavesTheChoiceToOtherSources) {
  if (!haveSessionBus()) GTEST_SKIP() << "no session bus";
  FakePortal portal(0);
  ASSERT_TRUE(portal.serving());
  EXPECT_EQ(velquarin::platform::readPortalColorScheme(2'000'000), std::nullopt);
}

TEST(DesktopColorScheme, NoPortalOrNoBusAnswersQuicklyWithNothing) {
  ScopedEnvironment environment;
  const auto start = std::chrono::steady_clock::now();
  if (haveSessionBus()) {
    EXPECT_EQ(velquarin::platform::readPortalColorScheme(5'000'000), std::nullopt);
  }
  environment.set("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus");
  EXPECT_EQ(velquarin::platform::readPortalColorScheme(5'000'000), std::nullopt);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

TEST(DesktopColorScheme, GtkThemeNamesAndPreferencesAreRead) {
  ScratchFolder config;
  ScopedEnvironment environment;
  environment.set("GTK_THEME", std::nullopt);
  using velquarin::platform::readGtkTheme;
  EXPECT_EQ(readGtkTheme(config.path()), std::nullopt);

  auto write = [&](const char* version, const char* text) {
    fs::create_directories(config.path() + "/" + version);
    std::ofstream(config.path() + "/" + version + "/settings.ini") << text;
  };
  write("gtk-3.0", "[Settings]\ngtk-theme-name=Adwaita\n");
  EXPECT_EQ(readGtkTheme(config.path()), AppearanceStyle::Light);
  write("gtk-3.0", "[Settings]\ngtk-theme-name=Arc-Dark\n");
  EXPECT_EQ(readGtkTheme(config.path()), AppearanceStyle::Dark);
  write("gtk-3.0", "[Settings]\ngtk-theme-name=Adwaita\ngtk-application-prefer-dark-theme=true\n");
  EXPECT_EQ(readGtkTheme(config.path()), AppearanceStyle::Dark);
  write("gtk-4.0", "[Settings]\ngtk-theme-name=Adwaita\n");  // the newer toolkit's file first
  EXPECT_EQ(readGtkTheme(config.path()), AppearanceStyle::Light);
  write("gtk-4.0", "not a key file \x01\x02");
  EXPECT_EQ(readGtkTheme(config.path()), AppearanceStyle::Dark);

  environment.set("GTK_THEME", "Adwaita:dark");
  write("gtk-4.0", "[Settings]\ngtk-theme-name=Adwaita\n");
  EXPECT_EQ(readGtkTheme(config.path()), AppearanceStyle::Dark);
  environment.set("GTK_THEME", "Adwaita");
  EXPECT_EQ(readGtkTheme(config.path()), AppearanceStyle::Light);
}

TEST(Appearance, ADesktopChangeArrivesOnTheMainQueueAndIsPosted) {
  if (!haveSessionBus()) GTEST_SKIP() << "no session bus";
  using velquarin::platform::MainQueue;
  MainQueue::shared();  // this thread is the main thread
  FakePortal portal(2);
  ASSERT_TRUE(portal.serving());
  ASSERT_EQ(Appearance::reload(), AppearanceStyle::Light);  // also starts watching
  int posted = 0;
  auto& center = NotificationCenter::distributedCenter();
  const auto id =
      center.addObserver(Appearance::kThemeChangedNotification, nullptr,
                         NotificationCenter::Delivery::Posting, [&](const auto&) { ++posted; });
  portal.announce(1);
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (posted == 0 && std::chrono::steady_clock::now() < end) {
    MainQueue::shared().drain();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  center.removeObserver(id);
  EXPECT_EQ(posted, 1);
  EXPECT_EQ(Appearance::current(), AppearanceStyle::Dark);
  Appearance::set(AppearanceStyle::Light);
}

// In a fresh process: the first answer, asked for early and awaited, is the portal's.
TEST(Appearance, TheFirstAnswerIsThePortalsReadOnTheWatchingConnection) {
  if (!haveSessionBus()) GTEST_SKIP() << "no session bus";
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        FakePortal portal(1);
        if (!portal.serving()) std::_Exit(2);
        Appearance::prepare();
        std::_Exit(Appearance::current() == AppearanceStyle::Dark ? 0 : 1);
      },
      testing::ExitedWithCode(0), "");
}
