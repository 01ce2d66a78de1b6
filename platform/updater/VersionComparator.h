#pragma once

#include <string_view>

namespace velquarin::platform::updater {

// Orders version strings as people read them: digit runs compare as numbers (of any length),
// letter runs as text, and a version that goes on with letters is older than where it stopped
// (1.0b1 < 1.0 < 1.0.1; 3.9 < 3.10). Negative, zero or positive, as strcmp.
int compareVersions(std::string_view a, std::string_view b);

}  // namespace velquarin::platform::updater
