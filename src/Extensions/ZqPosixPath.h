#pragma once

#include <string>

// "~" and "~/..." become the user's home, "~name/..." that user's home; anything else, or a
// user without a home, stays as it is.
std::string ZqExpandTildeInPath(const std::string& path);

// A path in slash-separated file-system form. Colon-separated paths have no meaning on this
// platform, so after tilde expansion the path is returned as it is.
std::string ZqConvertToPosixPath(const std::string& path);
