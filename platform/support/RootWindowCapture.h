#pragma once

#include <memory>
#include <string>

#include "images/Image.h"

namespace velquarin::platform::support {

// A screenshot of the whole X screen of `display` (a display name such as ":5"), taken from
// the root window. Null, with the reason in `why`, when the display cannot be reached or its
// pixels are not 24-bit true colour in 32-bit units.
std::shared_ptr<Image> captureRootWindow(const std::string& display, std::string* why);

}  // namespace velquarin::platform::support
