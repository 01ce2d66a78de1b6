#pragma once

#include <optional>
#include <string>
#include <vector>

namespace velquarin::platform {

// A thumbnailer another package installed for some MIME types: a "Thumbnailer Entry" in
// <data dir>/thumbnailers/*.thumbnailer, $XDG_DATA_HOME first, then each of $XDG_DATA_DIRS.
struct InstalledThumbnailer {
  std::string file;               // the .thumbnailer entry
  std::vector<std::string> exec;  // Exec split into arguments, the program made absolute
  std::vector<std::string> mimeTypes;

  // The first installed entry for `mimeType` whose TryExec and Exec programs are there.
  static std::optional<InstalledThumbnailer> forMimeType(const std::string& mimeType);

  // The argument vector for one file: %i the input path, %u its URI, %o the output path,
  // %s the size, %% a percent sign, each replaced inside the argument it stands in, so a
  // file name never becomes more than one argument.
  std::vector<std::string> arguments(const std::string& input, const std::string& uri,
                                     const std::string& output, int size) const;
};

}  // namespace velquarin::platform
