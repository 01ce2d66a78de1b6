#pragma once

#include <string_view>

#include "images/ImageTypes.h"

// The colour a hexadecimal number at the start of `text` gives: red in bits 16-23, green in
// 8-15, blue in 0-7, alpha 1. Leading white space and a 0x prefix are skipped; no number
// (a leading "#" included) gives black; a number too large for 32 bits reads as 0xFFFFFFFF.
velquarin::platform::Color zq_colorWithHexColorString(std::string_view text);
