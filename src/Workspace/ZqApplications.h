#pragma once

#include <cstdint>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "applications/Applications.h"
#include "files/DataWriter.h"
#include "images/Image.h"

namespace velquarin::platform {
class IconTheme;
}

// Applications and file types: the registry's answers turned into application entries and
// icon files. An application's bundle identifier is its desktop-file id without ".desktop";
// its path is the .desktop file; its name the entry's localised Name. A file type is the
// MIME type of the extension. All of it runs on the main thread; icons that a list needs
// are drawn on the background queue while the main thread waits.

// Where an icon comes from: theme names to look up, or a file named by the entry.
struct ZqIconSource {
  std::vector<std::string> names;
  std::optional<std::string> file;
};

// The MIME type of files with the extension; nullopt for one GIO does not know.
std::optional<std::string> ZqUTIForFileExtension(const std::string& extension);
// The default application of a type (GIO has no roles: the one default).
std::optional<std::string> ZqDefaultAppForUTI(const std::string& type);
std::optional<ZqIconSource> ZqGetApplicationIconForBundleId(const std::string& bundleId);
// The application's Name; nullopt when it is not installed or its name is not UTF-8.
std::optional<std::string> ZqApplicationNameForBundleId(const std::string& bundleId);
ZqIconSource ZqGetIconForPathExtension(const std::string& extension);

// Whether an icon of `size` points can be drawn at the screen's scale: 1 to 4096 pixels a side.
bool ZqIconSizeDrawable(std::int64_t size);
// The file to draw for `source` in `theme`; nullopt when there is none.
std::optional<std::string> ZqIconFile(const ZqIconSource& source,
                                      const velquarin::platform::IconTheme& theme, int size);
// The icon file's picture fitted into a size x size square (lower-left), at the screen's
// scale. Any thread.
std::shared_ptr<velquarin::platform::Image> ZqBitmapImageRep(const std::string& iconFile, int size);
// directory / name + ".png"; nullopt (and a warning) when the name would reach another
// folder.
std::optional<std::string> ZqPathForImage(const std::string& directory, const std::string& name);
// The image as PNG at the path, replaced atomically. Any thread.
bool ZqWriteImage(const velquarin::platform::Image& image, const std::string& path);

// Makes the directory and its parents when missing; the error when it is not a directory
// afterwards (a file in its place included).
std::optional<velquarin::platform::FileError> ZqCreateDirectory(const std::string& directory);

// The application entries (JSON objects) of the registry's applications, in its order; icons
// in `directory` when there is one, drawn only for files not there yet.
nlohmann::json ZqAppsFromBundleIds(
    const std::vector<velquarin::platform::InstalledApplication>& apps,
    const std::optional<std::string>& defaultIdentifier, std::int64_t size,
    const std::optional<std::string>& directory);
nlohmann::json ZqApplicationsForFileExtension(const std::string& extension, std::int64_t size,
                                              const std::optional<std::string>& directory);
nlohmann::json ZqApplicationsForURLScheme(const std::string& scheme, std::int64_t size,
                                          const std::optional<std::string>& directory);
std::optional<std::string> ZqGetDefaultApplicationForURLScheme(const std::string& scheme);
bool ZqSetDefaultApplicationForURLScheme(const std::string& scheme, const std::string& bundleId);
// Asks the file manager for the file's properties window; a missing file asks nothing.
void ZqOpenInfoForFile(const std::string& path);
