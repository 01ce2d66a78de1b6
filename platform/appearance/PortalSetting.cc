#include "appearance/PortalSetting.h"

#include <systemd/sd-bus.h>

#include <memory>

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

// Settings.Read wraps the value in one variant more than ReadOne does; unwrap what is there.
std::optional<std::string> readStringInVariants(sd_bus_message* reply) {
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
    const char* value = nullptr;
    if (type != SD_BUS_TYPE_STRING ||
        sd_bus_message_read_basic(reply, SD_BUS_TYPE_STRING, &value) < 0 || !value) {
      return std::nullopt;
    }
    return std::string(value);
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> readPortalString(const std::string& nameSpace, const std::string& key,
                                            std::uint64_t timeoutUsec) {
  sd_bus* rawBus = nullptr;
  if (sd_bus_open_user(&rawBus) < 0) return std::nullopt;
  std::unique_ptr<sd_bus, BusUnref> bus(rawBus);
  sd_bus_message* rawCall = nullptr;
  if (sd_bus_message_new_method_call(bus.get(), &rawCall, "org.freedesktop.portal.Desktop",
                                     "/org/freedesktop/portal/desktop",
                                     "org.freedesktop.portal.Settings", "Read") < 0) {
    return std::nullopt;
  }
  std::unique_ptr<sd_bus_message, MessageUnref> call(rawCall);
  if (sd_bus_message_append(call.get(), "ss", nameSpace.c_str(), key.c_str()) < 0) {
    return std::nullopt;
  }
  sd_bus_message_set_auto_start(call.get(), 0);
  BusError error;
  sd_bus_message* rawReply = nullptr;
  if (sd_bus_call(bus.get(), call.get(), timeoutUsec, &error.error, &rawReply) < 0) {
    return std::nullopt;
  }
  std::unique_ptr<sd_bus_message, MessageUnref> reply(rawReply);
  return readStringInVariants(reply.get());
}

}  // namespace velquarin::platform
