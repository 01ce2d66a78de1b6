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

#include <string>
#include <string_view>

// Opens the support and feedback window with a clean message: the attachments (JSON text of
// an array of paths), metadata (JSON text of an object), thread identifier ("CRASH_ON_STARTUP":
// the application quits 2 s after any window stops being main), body and options (JSON text
// of an object, or none).
void ZqOpenSupportAndFeedbackWindow(std::string_view pathsJSON, std::string_view metaDataJSON,
                                    const std::optional<std::string>& threadId,
                                    const std::optional<std::string>& body,
                                    const std::optional<std::string>& optionsJSON);
// Adds each path of the JSON array text to the open message, in order.
void ZqAttachFilesToSupportAndFeedbackWindow(std::string_view pathsJSON);
