#pragma once

#include <optional>
#include <string>

#include "pasteboard/Pasteboard.h"

// Saving and restoring a pasteboard, image files on it, the find string, and the questions
// other subsystems ask of the general pasteboard.

// Takes a snapshot of every item and type whose data can be read. False, with a warning, when
// a snapshot is already held or the contents could not be read at all.
bool ZqSavePasteboard(velquarin::platform::Pasteboard& pasteboard);
// Writes the held snapshot back and lets it go. False when none is held or it could not be
// written (the snapshot is then kept).
bool ZqRestorePasteboard(velquarin::platform::Pasteboard& pasteboard);
// Puts a PNG, JPEG or GIF file's bytes on the pasteboard under the type its extension names.
// The file is read first: a missing, unreadable, oversized or non-regular file leaves the
// pasteboard as it was.
bool ZqWriteFileContents(velquarin::platform::Pasteboard& pasteboard, const std::string& path);

std::optional<std::string> ZqGetFindStringFromPasteboard();
// No string clears the find pasteboard.
void ZqSetFindStringToPasteboard(const std::optional<std::string>& text);

// The general pasteboard's image (a copied local image file, else image data) as "image.jpg"
// in `directory`, written atomically; its path, or nullopt when there is no image or the
// write failed.
std::optional<std::string> ZqImageFromPasteboard(const std::string& directory);

// Whether any item of the general pasteboard declares `type`.
bool hasFilesInPasteboard(const std::string& type);
// Whether the pasteboard holds image data that can be decoded.
bool ZqPasteboardHasImage(const velquarin::platform::Pasteboard& pasteboard);
// True while a snapshot is held.
bool ZqPasteboardIsSaved();
