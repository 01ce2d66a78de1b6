#pragma once

#include <optional>
#include <string>
#include <vector>

#include "pasteboard/Pasteboard.h"

// A URL with its title, written in the five flavours other applications read links in:
// "WebURLsWithTitlesPboardType", the URL type, text, and the URL's and title's bytes.

inline constexpr const char* kWebURLsWithTitlesPboardType = "WebURLsWithTitlesPboardType";
inline constexpr const char* kURLFlavorType = "CorePasteboardFlavorType 0x75726C20";
inline constexpr const char* kURLNameFlavorType = "CorePasteboardFlavorType 0x75726C6E";

// Declares the extra types followed by the five flavours; the new change count.
long zq_declareURLPasteboardWithAdditionalTypes(velquarin::platform::Pasteboard& pasteboard,
                                                const std::vector<std::string>& types);
void zq_setURL(velquarin::platform::Pasteboard& pasteboard, const std::string& url,
               const std::string& title);
// Titles pair with URLs by index; missing ones are empty. No titles (or an empty list): the
// URL stands for its own title. A URL that does not parse is left out of the URL type only.
void zq_setURLs(velquarin::platform::Pasteboard& pasteboard, const std::vector<std::string>& urls,
                const std::optional<std::vector<std::string>>& titles);

// Whether `text` parses as a URL reference (RFC 3986 characters, percent escapes complete).
bool zq_isParsableURL(const std::string& text);
