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

#include <functional>
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

// Where a tool's result goes: the file's path, or nothing.
using ZqRepliesResult = std::function<void(std::optional<std::string> path)>;

// Lets the user annotate the image at `path`; the result is the PNG written beside it, named
// after the title the user left (characters that cannot be in a name become "_"). Nothing
// when the image does not load, the user cancels or the file cannot be written.
void ZqAnnotateImage(const std::string& path, ZqRepliesResult result);
// Lets the user take a screenshot (edited, then written to `directory`/screenshot.png) or a
// recording (its own path); nothing when the user gives up.
void ZqTakeScreenRecording(const std::string& directory, ZqRepliesResult result);
// The file name an annotated image is saved under.
std::string ZqAnnotatedImageFileName(const std::string& title);
