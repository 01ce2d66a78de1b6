#include "Extensions/NSWindow+ZqExtensions.h"

void zq_resizeContent(velquarin::platform::Window& window, double width, double height,
                      bool /*animate*/) {
  const auto frame = window.frame;
  const auto content = window.contentRectForFrameRect(frame);
  const velquarin::platform::Rect resized{frame.x, frame.y + content.height - height, width,
                                          height};
  window.setFrame(window.frameRectForContentRect(resized), true, window.visible);
}
