#pragma once

#include "windows/Window.h"

// Resizes the window's content area to `width` x `height` points, keeping the window's
// top-left corner where it is. Animated exactly when the window is visible; `animate` does
// not change that.
void zq_resizeContent(velquarin::platform::Window& window, double width, double height,
                      bool animate);
