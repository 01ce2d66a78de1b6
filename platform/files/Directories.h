#pragma once

#include <string>

namespace velquarin::platform {

// Creates `path` and its missing parents with mode 0700; true when it is a directory now.
bool makePrivateDirectories(const std::string& path);

}  // namespace velquarin::platform
