#pragma once

#include <string>
#include <vector>

namespace velquarin::platform {

// The icon the desktop shows for the item at `path`, as icon-theme names, the most specific
// first ("application-pdf", "application-x-generic", ...). It follows the item's content type;
// an item that is not there gets the icon its name suggests. Empty for an empty path.
std::vector<std::string> iconNamesForFile(const std::string& path);

}  // namespace velquarin::platform
