#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "images/Image.h"

// The image's pixels as PNG or JPEG data (the platform's default quality); nullopt, with a
// warning, for no image.
std::optional<std::vector<std::uint8_t>> ZqPNGRepresentation(
    const std::shared_ptr<velquarin::platform::Image>& image);
std::optional<std::vector<std::uint8_t>> ZqJPGRepresentation(
    const std::shared_ptr<velquarin::platform::Image>& image);
