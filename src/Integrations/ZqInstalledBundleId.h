#pragma once

#include <initializer_list>
#include <optional>
#include <string>

// The first identifier of the list, in its order, that names an installed application.
std::optional<std::string> ZqFirstInstalledBundleId(std::initializer_list<const char*> ids);
