#pragma once

#include <string>
#include <string_view>

// The body the host gets for `content`: every paragraph (up to and including LF, CR, CR LF
// or U+2029) ends with LF; a last paragraph without a separator gets one.
std::string ZqComposeBody(std::string_view content);
