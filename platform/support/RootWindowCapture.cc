#include "support/RootWindowCapture.h"

#include "x11/X11Library.h"

#include <cstdlib>
#include <vector>

namespace velquarin::platform::support {
namespace {

struct ConnectionCloser {
  void operator()(xcb_connection_t* connection) const { x11().xcb_disconnect(connection); }
};
struct ReplyFree {
  void operator()(void* reply) const { std::free(reply); }
};

// Far above any real screen: a server that reports more is not believed.
constexpr std::size_t kMaximumPixels = std::size_t{1} << 26;

}  // namespace

std::shared_ptr<Image> captureRootWindow(const std::string& display, std::string* why) {
  const auto fail = [why](const char* reason) -> std::shared_ptr<Image> {
    if (why) *why = reason;
    return nullptr;
  };
  if (!X11Library::get()) return fail("the X11 library could not be loaded");
  int screenNumber = 0;
  std::unique_ptr<xcb_connection_t, ConnectionCloser> connection(
      x11().xcb_connect(display.c_str(), &screenNumber));
  if (x11().xcb_connection_has_error(connection.get()))
    return fail("the display cannot be reached");
  auto screens = x11().xcb_setup_roots_iterator(x11().xcb_get_setup(connection.get()));
  for (int i = 0; i < screenNumber && screens.rem; ++i) x11().xcb_screen_next(&screens);
  if (!screens.rem) return fail("the display has no such screen");
  const xcb_screen_t* screen = screens.data;
  const std::size_t width = screen->width_in_pixels;
  const std::size_t height = screen->height_in_pixels;
  if (width == 0 || height == 0 || width * height > kMaximumPixels) {
    return fail("the screen's size is out of range");
  }
  std::unique_ptr<xcb_get_image_reply_t, ReplyFree> reply(x11().xcb_get_image_reply(
      connection.get(),
      x11().xcb_get_image(connection.get(), XCB_IMAGE_FORMAT_Z_PIXMAP, screen->root, 0, 0,
                          static_cast<uint16_t>(width), static_cast<uint16_t>(height), ~0u),
      nullptr));
  if (!reply) return fail("the server refused the screen's pixels");
  const auto* data = x11().xcb_get_image_data(reply.get());
  const auto length = static_cast<std::size_t>(x11().xcb_get_image_data_length(reply.get()));
  if (reply->depth != 24 || length != width * height * 4) {
    return fail("the screen's pixels are not 24-bit colour in 32-bit units");
  }
  // Little-endian 32-bit pixels: blue, green, red, unused.
  std::vector<std::uint8_t> rgba(length);
  for (std::size_t i = 0; i < length; i += 4) {
    rgba[i] = data[i + 2];
    rgba[i + 1] = data[i + 1];
    rgba[i + 2] = data[i];
    rgba[i + 3] = 255;
  }
  return Image::fromRGBA(static_cast<int>(width), static_cast<int>(height), rgba);
}

}  // namespace velquarin::platform::support
