#include "appearance/DesktopColorScheme.h"

#include <glib.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>
#include <utility>

#include "bus/SdBusLibrary.h"

namespace velquarin::platform {
namespace {

struct BusUnref {
  void operator()(sd_bus* bus) const { sd_bus_flush_close_unref(bus); }
};
struct MessageUnref {
  void operator()(sd_bus_message* message) const { sd_bus_message_unref(message); }
};
struct BusError {
  sd_bus_error error = SD_BUS_ERROR_NULL;
  ~BusError() { sd_bus_error_free(&error); }
};
struct KeyFileFree {
  void operator()(GKeyFile* file) const { g_key_file_free(file); }
};
struct GFree {
  void operator()(gchar* text) const { g_free(text); }
};

// Settings.Read wraps the value in one variant more than ReadOne does; unwrap what is there.
std::optional<std::uint32_t> readUnsignedInVariants(sd_bus_message* reply) {
  for (int depth = 0; depth < 4; ++depth) {
    char type = 0;
    const char* contents = nullptr;
    if (sd_bus_message_peek_type(reply, &type, &contents) <= 0) return std::nullopt;
    if (type == SD_BUS_TYPE_VARIANT) {
      if (sd_bus_message_enter_container(reply, SD_BUS_TYPE_VARIANT, contents) < 0) {
        return std::nullopt;
      }
      continue;
    }
    if (type != SD_BUS_TYPE_UINT32) return std::nullopt;
    std::uint32_t value = 0;
    if (sd_bus_message_read_basic(reply, SD_BUS_TYPE_UINT32, &value) < 0) return std::nullopt;
    return value;
  }
  return std::nullopt;
}

bool saysDark(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text.find("dark") != std::string::npos;
}

std::optional<AppearanceStyle> readGtkSettingsFile(const std::string& path) {
  // Most desktops have no such file: finding that out needs no key-file parser (GLib is
  // opened on first use).
  if (::access(path.c_str(), R_OK) != 0) return std::nullopt;
  std::unique_ptr<GKeyFile, KeyFileFree> file(g_key_file_new());
  if (!g_key_file_load_from_file(file.get(), path.c_str(), G_KEY_FILE_NONE, nullptr)) {
    return std::nullopt;
  }
  GError* error = nullptr;
  const gboolean preferDark =
      g_key_file_get_boolean(file.get(), "Settings", "gtk-application-prefer-dark-theme", &error);
  if (!error && preferDark) return AppearanceStyle::Dark;
  g_clear_error(&error);
  std::unique_ptr<gchar, GFree> theme(
      g_key_file_get_string(file.get(), "Settings", "gtk-theme-name", nullptr));
  if (theme) return saysDark(theme.get()) ? AppearanceStyle::Dark : AppearanceStyle::Light;
  return std::nullopt;
}

std::string configHome();

constexpr const char* kPortalPath = "/org/freedesktop/portal/desktop";
// Each step of a read: a slow or absent bus must not hold up whoever asks (start-up does).
constexpr std::uint64_t kPortalTimeoutUsec = 250'000;
constexpr const char* kSettingsInterface = "org.freedesktop.portal.Settings";

std::optional<AppearanceStyle> styleOfScheme(std::uint32_t scheme) {
  // 1: prefer dark, 2: prefer light, 0: no preference (another source decides).
  if (scheme == 1) return AppearanceStyle::Dark;
  if (scheme == 2) return AppearanceStyle::Light;
  return std::nullopt;
}

struct PortalWatch {
  std::unique_ptr<sd_bus, BusUnref> bus;
  std::function<void(AppearanceStyle)> onChange;
};

int onSettingChanged(sd_bus_message* message, void* userdata, sd_bus_error*) {
  const char* space = nullptr;
  const char* key = nullptr;
  if (sd_bus_message_read(message, "ss", &space, &key) < 0 ||
      std::strcmp(space, "org.freedesktop.appearance") != 0 ||
      std::strcmp(key, "color-scheme") != 0) {
    return 0;
  }
  auto* watch = static_cast<PortalWatch*>(userdata);
  auto style = styleOfScheme(readUnsignedInVariants(message).value_or(0));
  if (!style) style = readGtkTheme(configHome()).value_or(AppearanceStyle::Light);
  watch->onChange(*style);
  return 0;
}

std::string configHome() {
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config == '/') {
    return config;
  }
  const char* home = std::getenv("HOME");
  return std::string(home && *home ? home : "") + "/.config";
}

std::optional<AppearanceStyle> readSchemeOn(sd_bus* bus, std::uint64_t timeoutUsec) {
  sd_bus_message* rawCall = nullptr;
  if (sd_bus_message_new_method_call(bus, &rawCall, "org.freedesktop.portal.Desktop", kPortalPath,
                                     kSettingsInterface, "Read") < 0) {
    return std::nullopt;
  }
  std::unique_ptr<sd_bus_message, MessageUnref> call(rawCall);
  if (sd_bus_message_append(call.get(), "ss", "org.freedesktop.appearance", "color-scheme") < 0) {
    return std::nullopt;
  }
  // Asking must not start a portal: a desktop without a running one has no preference.
  sd_bus_message_set_auto_start(call.get(), 0);

  BusError error;
  sd_bus_message* rawReply = nullptr;
  if (sd_bus_call(bus, call.get(), timeoutUsec, &error.error, &rawReply) < 0) return std::nullopt;
  std::unique_ptr<sd_bus_message, MessageUnref> reply(rawReply);
  return styleOfScheme(readUnsignedInVariants(reply.get()).value_or(0));
}

}  // namespace

std::shared_future<std::optional<AppearanceStyle>> watchPortalColorScheme(
    std::function<void(AppearanceStyle)> onChange) {
  std::promise<std::optional<AppearanceStyle>> firstRead;
  auto answer = firstRead.get_future().share();
  if (!sessionBusAddressGiven()) {
    // No bus to watch: no thread, and nobody waits for the portal.
    firstRead.set_value(std::nullopt);
    return answer;
  }
  // The connection lives and dies on this thread; it lives as long as the process.
  std::thread([onChange = std::move(onChange), firstRead = std::move(firstRead)]() mutable {
    sd_bus* rawBus = nullptr;
    if (sd_bus_open_user(&rawBus) < 0) return firstRead.set_value(std::nullopt);
    PortalWatch watch{std::unique_ptr<sd_bus, BusUnref>(rawBus), std::move(onChange)};
    sd_bus* bus = watch.bus.get();
    // Someone may be waiting for the first read: a bus that does not answer must not hold it.
    sd_bus_set_method_call_timeout(bus, kPortalTimeoutUsec);
    // Watch, then read: the bus handles the two in order, so a change between them is not
    // lost, and the read's reply comes after the watch is in place. Not waiting for the
    // watch's own reply saves a round trip; should it fail, sd-bus closes the connection.
    const bool watching =
        sd_bus_match_signal_async(bus, nullptr, nullptr, kPortalPath, kSettingsInterface,
                                  "SettingChanged", onSettingChanged, nullptr, &watch) >= 0;
    firstRead.set_value(readSchemeOn(bus, kPortalTimeoutUsec));
    while (watching) {
      const int processed = sd_bus_process(bus, nullptr);
      if (processed < 0) return;
      if (processed > 0) continue;
      if (sd_bus_wait(bus, UINT64_MAX) < 0) return;
    }
  }).detach();
  return answer;
}

std::optional<AppearanceStyle> readPortalColorScheme(std::uint64_t timeoutUsec) {
  sd_bus* rawBus = nullptr;
  if (sd_bus_open_user(&rawBus) < 0) return std::nullopt;
  std::unique_ptr<sd_bus, BusUnref> bus(rawBus);
  return readSchemeOn(bus.get(), timeoutUsec);
}

std::optional<AppearanceStyle> readGtkTheme(const std::string& configHome) {
  // GTK_THEME is "name" or "name:variant", e.g. "Adwaita:dark".
  if (const char* theme = std::getenv("GTK_THEME"); theme && *theme) {
    return saysDark(theme) ? AppearanceStyle::Dark : AppearanceStyle::Light;
  }
  for (const char* version : {"gtk-4.0", "gtk-3.0"}) {
    if (auto style = readGtkSettingsFile(configHome + "/" + version + "/settings.ini")) {
      return style;
    }
  }
  return std::nullopt;
}

AppearanceStyle appearanceFrom(std::optional<AppearanceStyle> portal) {
  if (portal) return *portal;
  if (auto style = readGtkTheme(configHome())) return *style;
  return AppearanceStyle::Light;
}

AppearanceStyle readDesktopAppearance() {
  return appearanceFrom(readPortalColorScheme(kPortalTimeoutUsec));
}

}  // namespace velquarin::platform
