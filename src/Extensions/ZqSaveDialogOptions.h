#pragma once

#include <optional>
#include <string>
#include <string_view>

// The options the host gives a save dialog: JSON text of an object whose "destination-path"
// is the folder to start in and whose "filename" is the proposed name. A key that is absent,
// null or not a string counts as not given.
struct ZqSaveDialogOptions {
  // Absolute and normalised. A folder that cannot be made absolute, or whose text holds a NUL
  // (which would cut it short at the file system), counts as not given.
  std::optional<std::string> directory;
  std::optional<std::string> filename;
};

// nullopt, with the reason in `error`, when the text is not JSON of an object.
std::optional<ZqSaveDialogOptions> ZqSaveDialogOptionsFromJSON(std::string_view text,
                                                               std::string* error);
