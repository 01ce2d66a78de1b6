#pragma once

#include <string>

#include "bundle/Bundle.h"

namespace velquarin::platform {

// Text shown to the user in the user's language, from the bundle's string tables:
// Resources/<language>.lproj/<table>.strings, each a property list (XML or binary) whose
// dictionary maps the English text to its translation. The user's preferred languages are
// tried in order, each as tagged ("de-CH", also "de_CH") and then by its language alone
// ("de"); the first table with a string for the key wins, else the fallback.
std::string localizedString(const Bundle& bundle, const std::string& key,
                            const std::string& fallback, const std::string& table = "Localizable");

}  // namespace velquarin::platform
