#pragma once

#include <optional>
#include <string>

namespace velquarin::platform {

// The type identifier the file system gives the item at `path`, itself (a symbolic link is
// "public.symlink", not its target): "public.folder" for a directory, and for a file the type
// its extension declares ("public.data" for any other). Nothing there: nullopt.
std::optional<std::string> typeIdentifierOfFile(const std::string& path);

// Whether `type` is `parent` or one of its descendants in the type tree.
bool typeConformsTo(const std::string& type, const std::string& parent);

}  // namespace velquarin::platform
